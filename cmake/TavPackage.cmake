# `cpack -G DEB`: one Debian package of the libraries, their headers, tavprint and the designer
# with its desktop entry, file type and icon. Dependencies are found by dpkg-shlibdeps from the
# programs and libraries, not bundled; the desktop databases are refreshed by the triggers of
# shared-mime-info and desktop-file-utils.
set(CPACK_PACKAGE_NAME tav)
set(CPACK_PACKAGE_VENDOR "TAV")
set(CPACK_PACKAGE_CONTACT "TAV developers <tav-dev@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Label and receipt designer, print engine and tools")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The package's own libraries, which dpkg-shlibdeps must find among the packaged files.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${PROJECT_BINARY_DIR}/_CPack_Packages/Linux/DEB/${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-Linux/usr/${CMAKE_INSTALL_LIBDIR})
# Fonts the Windows face names map to; the tools the designer's setup commands run.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-arphic-uming, fonts-wqy-zenhei, fontconfig, xdg-utils, shared-mime-info, desktop-file-utils")
include(CPack)
