#!/usr/bin/env bash
# kivjava.exe under Wine shows the listed usage text and banner.
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
exe=$KIV_WINDOWS_BUILD_DIR/launcher/kivjava.exe
messages() { "${KIV_PYTHON:-python3}" "$here/messages.py" run "$here/messages" "$@"; }
rc=0
messages launcher/kivmsg.h kUsage '*' -- "$KIV_WINE_RUN" "$exe" -help || rc=1
messages launcher/kivmsg.h kBanner '*' -- "$KIV_WINE_RUN" "$exe" -version || rc=1
exit $rc
