# Tests that run Windows programs under Wine.
#   KIV_WINDOWS_BUILD_DIR  the cross build whose programs the Wine tests run:
#                          the i686 deliverables where this machine runs 32-bit
#                          Wine, else the x86_64 build of the same sources
#   KIV_WINE_ARCH          which of the two it is (win32 or win64)
#   KIV_WIN64_BUILD_DIR    the x86_64 build, whose launcher and library make
#                          the win64 package; where KIV_WINDOWS_BUILD_DIR is the
#                          i686 build, the pair's Wine tests run against this
#                          one as well, in a 64-bit prefix of its own
#
#   kiv_add_wine_test(NAME <name> COMMAND <cmd...> [ENVIRONMENT <VAR=value...>])
#     runs against KIV_WINDOWS_BUILD_DIR.
#   kiv_add_pair_wine_test(NAME <name> COMMAND <cmd...> [ENVIRONMENT <VAR=value...>])
#     a test of the launcher or of kivutils, once per architecture that runs
#     here: <name>.win32 against the i686 build, <name>.win64 against the
#     x86_64 build.
#
# The command runs natively with these variables set: KIV_WINE_PREFIX (the
# booted test prefix), KIV_WINE_ARCH, KIV_WINE_RUN (the wine-run script: prefix
# a Windows program with it) and KIV_WINDOWS_BUILD_DIR (the build under test);
# the pair's tests also get KIV_OTHER_BUILD_DIR, the build of the other
# architecture (if there is one), whose libraries its programs cannot load.
# Every Wine test needs the fixture that boots its prefix, and the tests of
# one prefix run one at a time (one wineserver).

set(KIV_WINE_ARCH "" CACHE STRING "Wine architecture of KIV_WINDOWS_BUILD_DIR (win32 or win64)")
set(KIV_WINE_PREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix of the tests")
set(KIV_WIN64_BUILD_DIR "" CACHE PATH "The x86_64 Windows build (the win64 package)")

if(KIV_WINDOWS_BUILD_DIR AND NOT TEST kiv_wine_prefix)
  if(NOT KIV_WINE_ARCH)
    execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-arch.sh
                    OUTPUT_VARIABLE KIV_WINE_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE)
  endif()
  # One prefix per architecture: <name> gives the prefix of KIV_WINE_ARCH, its
  # environment KIV_WINE_ENV<suffix>, fixture wine<suffix> and lock
  # wineserver<suffix>; the suffix is empty for KIV_WINDOWS_BUILD_DIR's prefix.
  function(_kiv_wine_prefix suffix arch prefix build)
    set(env
      KIV_WINE_PREFIX=${prefix}
      KIV_WINE_ARCH=${arch}
      KIV_WINE_RUN=${CMAKE_SOURCE_DIR}/scripts/wine-run
      KIV_WINDOWS_BUILD_DIR=${build}
      WINEDEBUG=-all)
    set(KIV_WINE_ENV${suffix} "${env}" PARENT_SCOPE)
    add_test(NAME kiv_wine_prefix${suffix} COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh)
    set_tests_properties(kiv_wine_prefix${suffix} PROPERTIES
      FIXTURES_SETUP wine${suffix} ENVIRONMENT "${env}" RESOURCE_LOCK wineserver${suffix} TIMEOUT 300)
  endfunction()
  _kiv_wine_prefix("" ${KIV_WINE_ARCH} ${KIV_WINE_PREFIX} ${KIV_WINDOWS_BUILD_DIR})

  # The pair's builds by architecture: <build dir>;<prefix suffix>;<other build dir>.
  if(KIV_WINE_ARCH STREQUAL "win32")
    set(_kiv_pair_win32 ${KIV_WINDOWS_BUILD_DIR} "" "${KIV_WIN64_BUILD_DIR}")
    if(KIV_WIN64_BUILD_DIR)
      _kiv_wine_prefix(.win64 win64 ${KIV_WINE_PREFIX}-win64 ${KIV_WIN64_BUILD_DIR})
      set(_kiv_pair_win64 ${KIV_WIN64_BUILD_DIR} .win64 ${KIV_WINDOWS_BUILD_DIR})
    endif()
  else()
    # No 32-bit Wine: the i686 build is only checked as files (and lends its
    # libraries to the tests of libraries that cannot be loaded).
    set(_kiv_pair_win64 ${KIV_WINDOWS_BUILD_DIR} "" "${KIV_DELIVERABLES_DIR}")
  endif()
endif()

function(_kiv_add_wine_test name suffix env)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine${suffix} RESOURCE_LOCK wineserver${suffix} LABELS wine TIMEOUT 600
    ENVIRONMENT "${env}")
endfunction()

function(kiv_add_wine_test)
  cmake_parse_arguments(A "" "NAME" "COMMAND;ENVIRONMENT" ${ARGN})
  if(NOT KIV_WINDOWS_BUILD_DIR)
    return()
  endif()
  _kiv_add_wine_test(${A_NAME} "" "${KIV_WINE_ENV};${A_ENVIRONMENT}" ${A_COMMAND})
endfunction()

function(kiv_add_pair_wine_test)
  cmake_parse_arguments(A "" "NAME" "COMMAND;ENVIRONMENT" ${ARGN})
  foreach(arch win32 win64)
    if(NOT _kiv_pair_${arch})
      continue()
    endif()
    list(GET _kiv_pair_${arch} 1 suffix)
    list(GET _kiv_pair_${arch} 2 other)
    _kiv_add_wine_test(${A_NAME}.${arch} "${suffix}"
      "${KIV_WINE_ENV${suffix}};KIV_OTHER_BUILD_DIR=${other};${A_ENVIRONMENT}" ${A_COMMAND})
  endforeach()
endfunction()
