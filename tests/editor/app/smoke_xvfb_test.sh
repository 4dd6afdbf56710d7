#!/usr/bin/env bash
# Starts the real designer under Xvfb with a template named on its command line, takes a
# screenshot of the screen and checks that the window showed up with the page on it.
# usage: smoke_xvfb_test.sh TAVEDITOR SOURCE_DIR SCREENSHOT_DIR
set -u
editor=$1 src=$2 shots=$3
mkdir -p "$shots"
shot="$shots/shipping-label.png"
rm -f "$shot"

# The editor runs until it is stopped; the screenshot is taken once its window is mapped.
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    "$1" "$2" >"$3.log" 2>&1 &
    pid=$!
    for _ in $(seq 1 60); do
        xwininfo -root -tree 2>/dev/null | grep -q "TAVEditor - " && break
        sleep 0.25
    done
    sleep 1
    # The caption names the file opened from the command line.
    xwininfo -root -tree 2>/dev/null | grep -F "\"TAVEditor - $2\"" >"$3.caption"
    import -window root "$3"
    # The main window alone (1200 x 700 at 50, 50), for the README and the user guide.
    import -window root -crop 1200x700+50+50 +repage "${3%.png}-window.png"
    kill "$pid"
    wait "$pid" 2>/dev/null
    true
' smoke "$editor" "$src/examples/shipping-label.tav" "$shot"

[ -s "$shot" ] || { echo "FAIL: no screenshot"; exit 1; }
[ -s "$shot.caption" ] || { echo "FAIL: no window captioned with the file's path"; exit 1; }
# The page is white and the drawing area grey: both must be on the screen, and many colors
# (text, barcode, menus), not an empty desktop.
colors=$(identify -format "%k" "$shot")
[ "$colors" -gt 50 ] || { echo "FAIL: the screenshot has only $colors colors"; exit 1; }
echo "screenshot: $shot ($colors colors)"
