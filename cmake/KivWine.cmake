# Tests that run Windows programs under Wine. KIV_WINDOWS_BUILD_DIR names the
# cross build whose programs are run (the i686 deliverables where this
# machine runs 32-bit Wine, else a 64-bit build of the same sources);
# KIV_WINE_ARCH says which (win32 or win64).
#
#   kiv_add_wine_test(NAME <name> COMMAND <cmd...> [ENVIRONMENT <VAR=value...>])
#
# The command runs natively with these variables set: KIV_WINE_PREFIX (the
# booted test prefix), KIV_WINE_ARCH, KIV_WINE_RUN (the wine-run script: prefix
# a Windows program with it) and KIV_WINDOWS_BUILD_DIR. Every Wine test needs
# the fixture that boots the prefix, and they run one at a time (one
# wineserver).

set(KIV_WINE_ARCH "" CACHE STRING "Wine architecture of KIV_WINDOWS_BUILD_DIR (win32 or win64)")
set(KIV_WINE_PREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix of the tests")

if(KIV_WINDOWS_BUILD_DIR AND NOT TEST kiv_wine_prefix)
  if(NOT KIV_WINE_ARCH)
    execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-arch.sh
                    OUTPUT_VARIABLE KIV_WINE_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE)
  endif()
  set(KIV_WINE_ENV
    KIV_WINE_PREFIX=${KIV_WINE_PREFIX}
    KIV_WINE_ARCH=${KIV_WINE_ARCH}
    KIV_WINE_RUN=${CMAKE_SOURCE_DIR}/scripts/wine-run
    KIV_WINDOWS_BUILD_DIR=${KIV_WINDOWS_BUILD_DIR}
    WINEDEBUG=-all)
  add_test(NAME kiv_wine_prefix COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh)
  set_tests_properties(kiv_wine_prefix PROPERTIES
    FIXTURES_SETUP wine ENVIRONMENT "${KIV_WINE_ENV}" RESOURCE_LOCK wineserver TIMEOUT 300)
endif()

function(kiv_add_wine_test)
  cmake_parse_arguments(A "" "NAME" "COMMAND;ENVIRONMENT" ${ARGN})
  if(NOT KIV_WINDOWS_BUILD_DIR)
    return()
  endif()
  add_test(NAME ${A_NAME} COMMAND ${A_COMMAND})
  set_tests_properties(${A_NAME} PROPERTIES
    FIXTURES_REQUIRED wine RESOURCE_LOCK wineserver LABELS wine TIMEOUT 600
    ENVIRONMENT "${KIV_WINE_ENV};${A_ENVIRONMENT}")
endfunction()
