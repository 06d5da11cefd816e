#!/usr/bin/env bash
# Exports a sample results table into a visible LibreOffice Calc window on a
# private Xvfb display and saves a screenshot of it:
#   scripts/screenshot-calc.sh [output.png]      (default docs/calc-export.png)
# Builds quillora-calc-sample in build/ (or in $QUILLORA_BUILD_DIR when set).
# The display, the office and its profile are this script's own; all are
# stopped by process id and removed when it ends.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs/calc-export.png}"
source scripts/packages.sh
scripts/ensure-packages.sh "${BUILD_PACKAGES[@]}" xvfb xauth libreoffice-calc libreoffice-dev imagemagick

build="${QUILLORA_BUILD_DIR:-build}"
if [ -z "${QUILLORA_BUILD_DIR:-}" ]; then
    scripts/build.sh default quillora-calc-sample
else
    cmake --build "$build" --target quillora-calc-sample
fi
sample="$build/export/quillora-calc-sample"

work="$(mktemp -d)"
xvfb_pid=""
office_pid=""
cleanup() {
    [ -n "$office_pid" ] && kill -KILL "$office_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display number nobody uses.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x560x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
done
export DISPLAY=":$display"

pipe="quillora-screenshot-$$"
start_office() {
    HOME="$work" TMPDIR="$work" /usr/lib/libreoffice/program/soffice.bin \
        --nologo --norestore --nodefault --nolockcheck \
        "-env:UserInstallation=file://$work/profile" \
        "--accept=pipe,name=$pipe;urp;StarOffice.ComponentContext" >"$work/office.log" 2>&1 &
    office_pid=$!
}
start_office
# A fresh profile makes the first start end with 81, asking to be restarted.
for _ in $(seq 50); do
    if ! kill -0 "$office_pid" 2>/dev/null; then
        status=0
        wait "$office_pid" || status=$?
        [ "$status" = 81 ] || { echo "soffice.bin ended with $status" >&2; exit 1; }
        start_office
        break
    fi
    sleep 0.1
done

HOME="$work" QT_QPA_PLATFORM=offscreen "$sample" --pipe "$pipe"
sleep 3  # let Calc paint its window
mkdir -p "$(dirname "$out")"
import -window root "$out"
echo "Screenshot: $out"
