# A Debian package of the installed program: `make deb` (cpack -G DEB).
include(GNUInstallDirs)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tayori)
set(CPACK_PACKAGE_VENDOR "Tayori")
set(CPACK_PACKAGE_CONTACT "Tayori developers <tayori-dev@users.noreply.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Prints Japanese postal addresses onto postcards from an address list")
# CPack indents each line by one space itself.
set(CPACK_PACKAGE_DESCRIPTION
    "Reads .xls, .xlsx and .ods workbooks, vCard contacts and CSV/CSVU lists, lays out
the fields of a postcard (vertical or horizontal writing, portrait or landscape) and
prints them on postcards, four cards on A4 or eight on A3, with the Japan Post
customer barcode.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries come from dpkg-shlibdeps; these are what the program loads at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-image-formats-plugins, qt6-translations-l10n, fonts-ipafont-mincho, fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups-client, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
