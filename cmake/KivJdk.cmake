# Locates the JDK of the build machine: its home (KIV_JDK_HOME), the JNI
# headers for native and cross builds, and javac for the Java side.
# CMake's FindJNI finds Debian's JDK only with JAVA_HOME set, so derive it
# from the real path of javac first.

if(NOT KIV_JDK_HOME)
  if(DEFINED ENV{JAVA_HOME} AND EXISTS "$ENV{JAVA_HOME}/include/jni.h")
    set(_home "$ENV{JAVA_HOME}")
  else()
    find_program(_kiv_javac javac NO_CMAKE_FIND_ROOT_PATH)
    if(NOT _kiv_javac)
      message(FATAL_ERROR "No javac found: install a JDK (scripts/install-deps.sh)")
    endif()
    file(REAL_PATH "${_kiv_javac}" _real)
    get_filename_component(_bin "${_real}" DIRECTORY)
    get_filename_component(_home "${_bin}" DIRECTORY)
  endif()
  set(KIV_JDK_HOME "${_home}" CACHE PATH "JDK used for headers and Java classes")
endif()

if(NOT EXISTS "${KIV_JDK_HOME}/include/jni.h")
  message(FATAL_ERROR "No jni.h under ${KIV_JDK_HOME}/include")
endif()

# jni.h plus the machine-dependent jni_md.h of the target: the JDK's own for
# native builds, ours for Windows (the build machine's JDK has no Windows one).
add_library(kiv_jni_headers INTERFACE)
if(MINGW)
  target_include_directories(kiv_jni_headers SYSTEM INTERFACE
    ${CMAKE_SOURCE_DIR}/platform/win32/include ${KIV_JDK_HOME}/include)
else()
  target_include_directories(kiv_jni_headers SYSTEM INTERFACE
    ${KIV_JDK_HOME}/include ${KIV_JDK_HOME}/include/linux)
endif()
