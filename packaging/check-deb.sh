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
# What the window's Arial resolves to.
[[ ", $depends," == *", fonts-liberation2"[,\ ]* ]] || fail "Depends lacks fonts-liberation2 (the window's Arial)"
if [ "$plugin" = ON ]; then
    [[ "$depends" == *libuno-sal3* ]] || fail "Depends lacks the Calc plugin's UNO libraries"
    # Added by libuno-cppuhelpergcc3-3's symbols file, unversioned, as for
    # LibreOffice's own extensions.
    [[ ", $depends," == *", uno-libs-private,"* ]] ||
        fail "Depends lacks the plain uno-libs-private that libuno-cppuhelpergcc3-3's symbols ask for"
fi
# Quillora runs without LibreOffice: the office is only recommended.
[[ "$depends" != *libreoffice* ]] || fail "Depends names LibreOffice"
[ "$recommends" = libreoffice-calc ] || fail "Recommends is '$recommends', not libreoffice-calc"

# The Debian revision of the package is the changelog's newest entry.
version="$(dpkg-deb -f "$deb" Version)"
logged="$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/doc/quillora/changelog.Debian.gz |
    gzip -dc | sed -n '1s/^quillora (\([^)]*\)).*/\1/p')"
[ "$version" = "$logged" ] || fail "package version $version, changelog's newest entry '$logged'"

# Nothing to run on install or removal: no maintainer scripts, so no
# "rc" state after apt remove.
control="$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -v '/$' | sort | tr '\n' ' ')"
[ "$control" = "./control ./md5sums " ] || fail "control members are '$control', not only control and md5sums"

# Exactly the program, its data, its desktop files and documents: no test,
# benchmark or tool programs.
multiarch="$(dpkg-architecture -qDEB_HOST_MULTIARCH)"
expected=(
    ./usr/bin/quillora
    "./usr/lib/$multiarch/quillora/libquillora_window.so"
    ./usr/share/applications/com.tolvenrix.Quillora.desktop
    ./usr/share/bash-completion/completions/quillora
    ./usr/share/doc/quillora/changelog.Debian.gz
    ./usr/share/doc/quillora/copyright
    ./usr/share/icons/hicolor/256x256/apps/quillora.png
    ./usr/share/icons/hicolor/scalable/apps/quillora.svg
    ./usr/share/lintian/overrides/quillora
    ./usr/share/man/man1/quillora.1.gz
    ./usr/share/metainfo/com.tolvenrix.Quillora.metainfo.xml
    ./usr/share/quillora/x/o.cjs
)
[ "$plugin" = ON ] && expected+=("./usr/lib/$multiarch/quillora/libquillora_calc_uno.so")
want="$(printf '%s\n' "${expected[@]}" | sort)"
have="$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort)"
if [ "$want" != "$have" ]; then
    diff <(echo "$want") <(echo "$have") >&2 || true
    fail "package contents differ from the expected files (< expected, > packed)"
fi

dpkg -x "$deb" "$scratch/root"
[ -x "$scratch/root/usr/bin/quillora" ] || fail "dpkg -x left no executable usr/bin/quillora"
# The program itself loads no Qt library, so --calc starts quickly; the
# window module it loads for everything else needs them.
needed="$(readelf -d "$scratch/root/usr/bin/quillora" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' ')"
[[ "$needed" == *libc.so* ]] || fail "usr/bin/quillora needs '$needed', not even the C library"
[[ "$needed" != *libQt6* ]] ||
    fail "usr/bin/quillora needs '$needed': a Qt library crept into the program"
echo "Unpacked into $scratch/root"
