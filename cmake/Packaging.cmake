# CPack: a .deb on Linux (make package), a .zip of the program folder on Windows (make windows).
set(CPACK_PACKAGE_NAME kr39eds)
set(CPACK_PACKAGE_VENDOR "KR39")
set(CPACK_PACKAGE_CONTACT "KR39 EDS Generator maintainers <maintainers@kr39eds.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "writes the DeviceNet EDS file of a KR39 modular I/O station")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME kr39eds-${PROJECT_VERSION}-win64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${KR39_HOMEPAGE})
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xchm)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # The summary is the synopsis; this is the extended description below it.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "The KR39 Standard EDS Generator composes one station of the KR39 modular I/O
system (a bus node and up to 16 I/O modules in four branches), saves it as a
station file (*.CSE) and writes its DeviceNet Electronic Data Sheet (EDS) for
configuration software that cannot work with modular EDS files.
.
The package holds the desktop program kr39eds, the command line program
kr39eds-cli and the module library both of them read.")
endif()
include(CPack)
