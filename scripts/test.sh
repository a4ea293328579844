#!/usr/bin/env bash
# Builds everything and runs every test:
#   - the Windows cross build of the deliverables (i686, PE32) and the x86_64
#     build of the same sources (PE32+), whose launcher and library make the
#     win64 package; both zips go to packages/ of the build directory;
#   - the Wine tests run the i686 build, and the launcher's and the library's
#     Wine tests also the x86_64 build (under wine64, in a prefix of its own);
#     where this machine's Wine runs no 32-bit programs (or KIV_WINE_ARCH is
#     win64), the Wine tests run the x86_64 build alone;
#   - the native build with AddressSanitizer and UndefinedBehaviorSanitizer
#     and the libFuzzer targets, whose CTest suite runs the unit tests, the
#     end-to-end tests against the JDK, the fuzzers briefly and the Wine tests;
#   - the data-set simulation's thread tests under ThreadSanitizer.
# Installs what is missing first. KIV_BUILD_DIR moves the build trees
# (default: build/ in the checkout).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KIV_BUILD_DIR:-$root/build}
jobs=$(nproc)

bash "$root/scripts/install-deps.sh"

configure_windows() {  # <dir> <triple>
  cmake -S "$root" -B "$1" -DCMAKE_BUILD_TYPE=Release \
        --toolchain "$root/cmake/toolchain-$2.cmake" >/dev/null
  cmake --build "$1" -j "$jobs"
  cpack --config "$1/CPackConfig.cmake" -G ZIP -B "$build/packages" >/dev/null
}

rm -rf "$build/packages"
configure_windows "$build/win32" i686-w64-mingw32
configure_windows "$build/win64" x86_64-w64-mingw32
rm -rf "$build/packages/_CPack_Packages"
echo "test.sh: packages: $(cd "$build/packages" && echo *)"
arch=${KIV_WINE_ARCH:-$("$root/scripts/wine-arch.sh")}
if [ "$arch" = win32 ]; then
  wine_build=$build/win32
else
  echo "test.sh: no 32-bit Wine here; the Wine tests run the 64-bit build only"
  wine_build=$build/win64
fi

cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DKIV_SANITIZE=ON -DKIV_FUZZ=ON \
      -DKIV_WINDOWS_BUILD_DIR="$wine_build" -DKIV_WINE_ARCH="$arch" \
      -DKIV_WIN64_BUILD_DIR="$build/win64" \
      -DKIV_DELIVERABLES_DIR="$build/win32" >/dev/null
cmake --build "$build/native" -j "$jobs"

# The thread tests once more under ThreadSanitizer: the data-set simulation's,
# and kivutils' (handle table, stream lock, streams and DDs from many threads).
cmake -S "$root" -B "$build/tsan" -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKIV_TSAN=ON >/dev/null
cmake --build "$build/tsan" -j "$jobs" --target dssim_thread_tests kivutils_unit_tests >/dev/null
# (Threads that wait for the guard say so on standard output; not shown here.)
# Each run ends within its time (timeout exits with 124 and so fails the script).
TSAN_OPTIONS=halt_on_error=1 timeout -k 10 600 "$build/tsan/tests/dssim/dssim_thread_tests" |
  grep -v '^Waiting for DD semaphore'
TSAN_OPTIONS=halt_on_error=1 timeout -k 10 900 "$build/tsan/tests/hostlib/kivutils_unit_tests" \
  --gtest_filter='HandleTable.ManyThreads:Mutex.*:Datasets.ManyThreads*:Datasets.OpenWriters*:Datasets.NoStream*:HostServices.OneConsoleFromManyThreads' |
  grep -v -e '^Creating file' -e '^Waiting for DD semaphore'

# The whole suite last, so that its summary closes the output.
ctest --test-dir "$build/native" --output-on-failure -j "$jobs"

