#!/usr/bin/env bash
# Builds the Debian package of a configured and built tree with CPack, checks
# its control fields and contents, and unpacks it (dpkg -x) for the installed
# tree's tests:
#   check-deb.sh <build dir> <scratch dir> <plugin built: ON|OFF>
# The scratch dir is emptied first; the unpacked tree lands in <scratch>/root.
set -euo pipefail
build="$1"
scratch="$2"
plugin="$3"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$scratch"
mkdir -p "$scratch"
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    fail "cpack -G DEB failed"
fi
shopt -s nullglob
debs=("$scratch"/*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one .deb in $scratch, found ${#debs[@]}"
deb="${debs[0]}"
echo "Package: $(basename "$deb")"

depends="$(dpkg-deb -f "$deb" Depends)"
recommends="$(dpkg-deb -f "$deb" Recommends)"
echo "Depends: $depends"
echo "Recommends: $recommends"
# Computed by dpkg-shlibdeps from the binaries, not written by hand.
for library in libc6 libqt6core6 libqt6widgets6; do
    [[ ", $depends," == *", $library "* ]] ||
        fail "Depends lacks $library: were the dependencies computed (dpkg-shlibdeps from dpkg-dev)?"
done
# What Qt loads at run time, which no binary links: the SVG icon engine.
[[ ", $depends," == *", libqt6svg6"[,\ ]* ]] || fail "Depends lacks libqt6svg6 (the window icon's SVG engine)"
if [ "$plugin" = ON ]; then
    [[ "$depends" == *libuno-sal3* ]] || fail "Depends lacks the Calc plugin's UNO libraries"
fi
# Quillora runs without LibreOffice: the office is only recommended.
[[ "$depends" != *libreoffice* ]] || fail "Depends names LibreOffice"
[ "$recommends" = libreoffice-calc ] || fail "Recommends is '$recommends', not libreoffice-calc"

# Exactly the program, its data and its desktop files: no test, benchmark or tool programs.
expected=(
    ./usr/bin/quillora
    ./usr/share/applications/quillora.desktop
    ./usr/share/icons/hicolor/256x256/apps/quillora.png
    ./usr/share/icons/hicolor/scalable/apps/quillora.svg
    ./usr/share/metainfo/com.tolvenrix.Quillora.metainfo.xml
    ./usr/share/quillora/x/o.cjs
)
[ "$plugin" = ON ] && expected+=(./usr/lib/quillora/libquillora_calc_uno.so)
want="$(printf '%s\n' "${expected[@]}" | sort)"
have="$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort)"
if [ "$want" != "$have" ]; then
    diff <(echo "$want") <(echo "$have") >&2 || true
    fail "package contents differ from the expected files (< expected, > packed)"
fi

dpkg -x "$deb" "$scratch/root"
[ -x "$scratch/root/usr/bin/quillora" ] || fail "dpkg -x left no executable usr/bin/quillora"
echo "Unpacked into $scratch/root"
