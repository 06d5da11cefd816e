#!/usr/bin/env bash
# Takes a screenshot of Quillora's window after a calculation into
# docs/screenshot.png. Starts its own Xvfb, runs the built program
# (build/app/quillora, or the path given as the first argument) with a
# throw-away settings folder holding a small hexadecimal list, presses
# "Start Calculating" and ticks two result rows with xdotool, grabs the window
# with ImageMagick's import, and stops the program and Xvfb by their process ids.
set -euo pipefail
cd "$(dirname "$0")/.."
program="${1:-build/app/quillora}"
out="docs/screenshot.png"
if [ ! -x "$program" ]; then
    scripts/build.sh default quillora
fi
scripts/ensure-packages.sh xvfb imagemagick xdotool

work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 640x700x24 -br -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")"

# The settings store the program reads at start-up: base and list.
mkdir -p "$work/config"
cat >"$work/config/Tolvenrix.conf" <<'CONF'
[Quillora]
Option1=False
Option2=True
Option3=False
Option4=False
Zip%20Codes="A36;A35;FF;1F4;7D0"
CONF
XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb "$program" >"$work/app.log" 2>&1 &
app_pid=$!

mkdir -p "$(dirname "$out")"
# Grabbing the whole black screen never waits for a click; trimming the black
# leaves the window (there is no window manager, so no frame). A grab whose
# trimmed size is the window's tells that the window is up and painted.
for _ in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || { cat "$work/app.log" >&2; echo "Quillora ended early" >&2; exit 1; }
    import -display "$DISPLAY" -window root -trim +repage "$work/shot.png" 2>/dev/null || true
    if [ -s "$work/shot.png" ] && [ "$(identify -format '%w' "$work/shot.png")" -gt 300 ]; then
        sleep 1  # the first paint may still be under way
        # The window sits at the screen's top left corner (no window manager).
        # Positions are the controls' design places at 96 dpi.
        xdotool mousemove 268 337 click 1   # Start Calculating
        sleep 1
        xdotool key Return                  # dismiss "Done."
        sleep 0.5
        xdotool mousemove 20 393 click 1    # tick the Decimal row
        xdotool mousemove 20 419 click 1    # tick the Octal row
        xdotool mousemove 300 20            # rest the pointer on the number list
        sleep 0.5
        import -display "$DISPLAY" -window root -trim +repage "$out"
        echo "screenshot: $out ($(identify -format '%wx%h' "$out"))"
        exit 0
    fi
    sleep 0.2
done
echo "the Quillora window did not appear" >&2
exit 1
