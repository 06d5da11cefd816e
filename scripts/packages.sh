# Package sets, sourced by run.sh and test.sh.
# What building Quillora needs.
BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-svg-dev libqt6svg6 libgl-dev fonts-liberation
                libgmp-dev)
# What running it needs on top: the spreadsheet export drives LibreOffice Calc
# through a plugin that is built only where libreoffice-dev (UNO headers and
# cppumaker) is present, so a fresh ./run.sh needs both for the button to work.
RUN_PACKAGES=(libreoffice-calc libreoffice-dev)
# What packing the Debian package needs on top of the build (cpack runs
# `file` and dpkg-shlibdeps; the plugin needs the UNO development files).
PACKAGING_PACKAGES=(libreoffice-dev dpkg-dev file)
# What the tests and benchmarks need on top.
TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev libgmp-dev xvfb xauth clang libclang-rt-14-dev
               # the formatting check (scripts/check-format.sh)
               clang-format-14
               libreoffice-calc libreoffice-dev imagemagick
               # the real-desktop check: a real paste (xclip) and a real drop (xdotool) under Xvfb
               xdotool xclip
               # the packaging tests: desktop entry and metainfo checks, cpack's file and
               # dpkg-shlibdeps, and lintian on the package
               desktop-file-utils appstream dpkg-dev file lintian
               # the shell completion's check
               bash-completion)
