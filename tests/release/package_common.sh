# Shared by the package tests (sourced): a scratch directory, the checks with
# their tally, and cpack into the scratch directory.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
passes=0
check() {  # <description> <expected substring> <text>
  if [[ "$3" == *"$2"* ]]; then
    echo "ok: $1"; passes=$((passes + 1))
  else
    echo "FAILED: $1"; echo "  expected: $2"; echo "  in: $3"; failures=$((failures + 1))
  fi
}
summary() {
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
}
# make_package <build dir> <generator>: prints the package file's path.
make_package() {
  cpack --config "$1/CPackConfig.cmake" -G "$2" -B "$work/cpack" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; return 1; }
  ls "$work"/cpack/kiv-*.* | head -n 1
}
