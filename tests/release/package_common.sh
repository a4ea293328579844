# Shared by the package tests (sourced): the launcher's scratch directory and
# checks, and cpack into that directory.
source "$(dirname "${BASH_SOURCE[0]}")/../launcher/wine_common.sh"
# make_package <build dir> <generator>: prints the package file's path.
make_package() {
  cpack --config "$1/CPackConfig.cmake" -G "$2" -B "$work/cpack" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; return 1; }
  ls "$work"/cpack/kiv-*.* | head -n 1
}
