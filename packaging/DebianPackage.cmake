# The Debian package: `cpack -G DEB` in a build folder (or the `package` target)
# writes quillora_<version>_<arch>.deb there, laid out by the install rules
# under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillora)
set(CPACK_PACKAGE_VENDOR Tolvenrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Arithmetic over a list of numbers in four bases")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillora folds addition, subtraction, multiplication and division over a
list of decimal, hexadecimal, octal or binary numbers and shows each result
in all four bases. The results can be saved as an aligned text file, copied
to the clipboard or opened in a new LibreOffice Calc workbook.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tolvenrix <quillora@tolvenrix.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

# Depends is computed from the packed binaries by dpkg-shlibdeps. That covers
# the Calc plugin too: it links the UNO runtime libraries, which live in
# LibreOffice's program folder (its RUNPATH points there), so shlibdeps is told
# to search that folder as well. The package thus depends on those small
# libraries (libuno-*, about 2.5 MB, no office), as every binary in a Debian
# package must have its libraries; the office itself, needed only by the
# spreadsheet export, is merely recommended.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET quillora_calc_uno)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${LIBREOFFICE_DIR}/program)
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libreoffice-calc)
# Added to the computed list: no binary links it, but Qt loads its SVG icon
# engine at run time for the window's icon (":/quillora.svg").
set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6svg6)

include(CPack)
