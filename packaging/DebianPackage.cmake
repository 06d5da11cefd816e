# The Debian package: `cpack -G DEB` in a build folder (or the `package` target)
# writes quillora_<version>_<arch>.deb there, laid out by the install rules
# under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillora)
set(CPACK_PACKAGE_VENDOR Tolvenrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The Debian revision, as in the first line of debian/changelog.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
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
# the Calc plugin too: it links the public UNO runtime libraries (libuno-*,
# about 2.5 MB, no office), as every binary in a Debian package must have its
# libraries. LibreOffice's private libraries behind them have no ABI of their
# own; Debian handles them in libuno-cppuhelpergcc3-3's symbols file, which
# adds a plain "uno-libs-private" to whatever links that library, exactly as
# in LibreOffice's own extensions (libreoffice-sdbc-postgresql,
# libreoffice-report-builder-bin), while libuno-cppuhelpergcc3-3 itself
# depends on uno-libs-private of its own version. So that dependency is left
# as computed, neither dropped nor versioned by hand. The office itself,
# needed only by the spreadsheet export, is merely recommended.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libreoffice-calc)
# Added to the computed list, since no binary links them:
# - Qt loads its SVG icon engine at run time for the window's icon
#   (":/quillora.svg");
# - the window asks for Arial, which fontconfig aliases to the family
#   "Liberation Sans". fonts-liberation2 is the one that family resolves to
#   whenever it is installed (fontconfig prefers its higher font version over
#   fonts-liberation's 1.07), and LibreOffice recommends it, so depending on
#   it means the window looks the same with or without the office.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, fonts-liberation2")

include(CPack)
