# "make deb": a Debian package of the installed tree, built with CPack.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME folderinventory)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "FolderInventory-Entwickler")
set(CPACK_PACKAGE_CONTACT "FolderInventory-Entwickler <folderinventory@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "plain-text inventory of the files in folders")
# The long description, wrapped for dpkg's 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "FolderInventory writes a plain-text inventory of files: collect folders,\n\
each with or without its subfolders, type wildcard masks and choose the\n\
extended listing (sizes, sums per folder and totals, in the manner of a\n\
command-line directory listing) or the simple one (one name or path per\n\
line). The finished list is copied or saved as a text file. The user\n\
interface is German.\n\
.\n\
The command-line tool folderinventory-cli writes the same listing from a\n\
script.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
# Dependencies come from the libraries the binaries link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
