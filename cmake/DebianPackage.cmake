# `cpack -G DEB` in the build folder makes the Debian package. The Qt
# libraries are declared as dependencies by dpkg-shlibdeps, never bundled.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dnspeek)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The dnspeek developers <dnspeek@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ask a name server one question and see its reply")
# CPack puts the summary first and indents these lines itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"dnspeek sends one DNS query for a host name and a query type number to a
fixed public resolver (9.9.9.9), lists every byte of the reply buffer in
decimal, and shows the name the server echoed and, for a mail-exchanger
query, the mail exchanger it named.")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without it the window opens through XWayland only.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
