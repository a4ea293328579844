# Per-package settings, read by cpack for each generator: the .deb installs
# under /usr; the tar.gz holds bin/, lib/ and share/ to unpack anywhere.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
else()
  set(CPACK_PACKAGING_INSTALL_PREFIX "")
endif()
