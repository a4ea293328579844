# Installation and packages.
#   Windows builds: one folder as a user unpacks it from the zip: the
#   programs, the library, the host classes' jar, README and the guide. The
#   i686 build makes kiv-<version>-win32.zip with every deliverable; the
#   x86_64 build makes kiv-<version>-win64.zip with the launcher and the
#   library only, for 64-bit Java runtimes (the installation tools are
#   32-bit programs and ship in the win32 zip alone).
#   Linux: bin/kivjava, lib/libkivutils.so, share/java/kivhost.jar, the demo
#   under share/kiv/demo and the documents under share/doc/kiv, as a tar.gz
#   and a .deb (installed under /usr). The host classes find the library in
#   lib/ of the jar's prefix, so no LD_LIBRARY_PATH is needed.
include(GNUInstallDirs)

set(_kiv_docs ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/guide.md)

if(WIN32)
  set(_kiv_programs kivjava kivutils)
  if(KIV_WIN32_X86)
    foreach(t Vantor helper Dravik)
      if(TARGET ${t})
        list(APPEND _kiv_programs ${t})
      endif()
    endforeach()
  endif()
  install(TARGETS ${_kiv_programs} RUNTIME DESTINATION . LIBRARY DESTINATION .)
  install(FILES ${CMAKE_BINARY_DIR}/java/kivhost.jar DESTINATION .)
  install(FILES ${_kiv_docs} DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  if(KIV_WIN32_X86)
    set(CPACK_SYSTEM_NAME win32)
  else()
    set(CPACK_SYSTEM_NAME win64)
  endif()
else()
  install(TARGETS kivjava RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(TARGETS kivutils LIBRARY DESTINATION lib)
  install(FILES ${CMAKE_BINARY_DIR}/java/kivhost.jar DESTINATION share/java)
  install(FILES ${CMAKE_BINARY_DIR}/java/kivdemo.jar
                ${PROJECT_SOURCE_DIR}/java/demo/demo.properties DESTINATION share/kiv/demo)
  install(FILES ${_kiv_docs} DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/KivCPackOptions.cmake)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "kiv team")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "default-jre-headless | java11-runtime-headless")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
endif()

set(CPACK_PACKAGE_NAME kiv)
set(CPACK_PACKAGE_VENDOR kiv)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Host services for a z/OS Java application on a workstation")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
include(CPack)
