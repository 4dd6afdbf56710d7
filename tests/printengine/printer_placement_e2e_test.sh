#!/usr/bin/env bash
# Printer names, the printable-area origin, calibration and long job names, through the real
# CUPS queues of scripts/services: CAPTURE (raw, no margins) and LABEL203 (203 dpi, a PPD with
# margins left 4 mm and top 3 mm, described as "Label Printer 203 (EPL)"). Both keep the PDF
# each job sent; pages are rasterised at 203 dpi and the top-left corner of their ink compared.
# usage: printer_placement_e2e_test.sh TAVPRINT SOURCE_DIR C_API_TEST LIBTAVPRINT
set -u
tavprint=$1 src=$2 c_api_test=$3 library=$4
source "$(dirname "$0")/../support/e2e.sh"

start_services "$src"
export XDG_CONFIG_HOME=$scratch/config
unset TAV_PRINTER
label=$src/examples/shipping-label.tav
tag="pl$$x$RANDOM"

# Waits for the captured job titled $1; prints the path of its PDF.
captured_pdf() {
    local found
    for _ in $(seq 1 120); do
        found=$(grep -lxF -- "$1" "$TAV_CAPTURE_OUT"/job-*.title 2>/dev/null | head -n 1)
        if [ -n "$found" ] && [ -e "${found%.title}.bin" ]; then
            echo "${found%.title}.bin"
            return 0
        fi
        sleep 0.25
    done
    return 1
}
# "X Y": the leftmost column and the top row holding ink, at 203 dpi.
ink_corner() {
    pdftoppm -r 203 -gray -singlefile "$1" "$scratch/ink" &&
        python3 - "$scratch/ink.pgm" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
parts = data.split(maxsplit=4)
w, h = int(parts[1]), int(parts[2])
px = parts[4][-w * h:]
rows = [y for y in range(h) if min(px[y * w:(y + 1) * w]) < 128]
cols = [x for x in range(w) if min(px[x::w]) < 128]
print(cols[0], rows[0])
PY
}
# Passes when corner $1 is corner $2 moved by ($3, $4) pixels, give or take one.
expect_shift() { # CORNER BASE DX DY WHAT
    local x y bx by
    read -r x y <<<"$1"
    read -r bx by <<<"$2"
    if ! [[ "$x $y $bx $by" =~ ^[0-9]+\ [0-9]+\ [0-9]+\ [0-9]+$ ]]; then
        fail "$5: no ink corner ('$1' against '$2')"
        return
    fi
    local dx=$((x - bx - $3)) dy=$((y - by - $4))
    if [ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ]; then ok; else
        fail "$5: ink at ($x, $y), expected ($((bx + $3)), $((by + $4))) from ($bx, $by)"
    fi
}
print_to() { # PRINTER JOB-NAME -> stderr in $scratch/err
    "$tavprint" print "$label" --printer "$1" --job-name "$2" --set TRACKING=SF1 2>"$scratch/err"
}

# 1. The paper corner: CAPTURE has no margins.
print_to CAPTURE "${tag}raw" && ok || fail "print to CAPTURE exited $?"
[ -s "$scratch/err" ] && fail "a named queue is reported: $(cat "$scratch/err")" || ok
base=
if pdf=$(captured_pdf "${tag}raw"); then base=$(ink_corner "$pdf"); fi
[ -n "$base" ] && ok || fail "no page captured for ${tag}raw"

# 2. A Windows printer name found by the queue's description prints on LABEL203, moved by its
#    margins: 4 mm and 3 mm are 32 and 24 dots at 203 dpi.
print_to "Label Printer 203 (EPL)" "${tag}described" && ok || fail "print by description exited $?"
grep -q "printing on LABEL203 for the printer \"Label Printer 203 (EPL)\"" "$scratch/err" && ok ||
    fail "the queue used is not reported: $(cat "$scratch/err")"
if pdf=$(captured_pdf "${tag}described"); then
    expect_shift "$(ink_corner "$pdf")" "$base" 32 24 "printable-area origin on LABEL203"
else
    fail "no job ${tag}described on LABEL203"
fi

# 3. A mapping in printers.conf, and a calibration stored with tavprint calibrate: 2 mm right,
#    1 mm down are 16 and 8 dots more.
mkdir -p "$XDG_CONFIG_HOME/tav"
printf '; test mapping\n[printers]\n\\\\server\\label = label203\n' >"$XDG_CONFIG_HOME/tav/printers.conf"
"$tavprint" calibrate LABEL203 --offset 20,10 2>"$scratch/err" && ok ||
    fail "calibrate --offset exited $?: $(cat "$scratch/err")"
expected=$(printf '; test mapping\n[printers]\n\\\\server\\label = label203\n\n[calibration]\nLABEL203 = 20,10')
[ "$(cat "$XDG_CONFIG_HOME/tav/printers.conf")" = "$expected" ] && ok ||
    fail "printers.conf after calibrate: $(cat "$XDG_CONFIG_HOME/tav/printers.conf")"
print_to '\\server\label' "${tag}mapped" && ok || fail "print through the mapping exited $?"
grep -q "printing on LABEL203 .*printers.conf" "$scratch/err" && ok ||
    fail "the mapping is not reported: $(cat "$scratch/err")"
if pdf=$(captured_pdf "${tag}mapped"); then
    expect_shift "$(ink_corner "$pdf")" "$base" 48 32 "calibrated origin on LABEL203"
else
    fail "no job ${tag}mapped on LABEL203"
fi
"$tavprint" printers >"$scratch/out" 2>&1 && ok || fail "tavprint printers exited $?"
grep -q "^  LABEL203.*calibration 20,10" "$scratch/out" && ok || fail "printers: $(cat "$scratch/out")"
grep -qF '\\server\label = label203' "$scratch/out" && ok || fail "no mapping shown: $(cat "$scratch/out")"

# 4. The calibration page: rulers from the origin, the stored offset left out, so its ink starts
#    at the printable area's corner, 4 mm and 3 mm from the paper's.
"$tavprint" calibrate LABEL203 2>"$scratch/err" && ok || fail "calibrate exited $?: $(cat "$scratch/err")"
if pdf=$(captured_pdf "LABEL203 calibration"); then
    expect_shift "$(ink_corner "$pdf")" "0 0" 32 24 "calibration page origin"
    pdftotext "$pdf" - 2>/dev/null | tr -s ' \n' ' ' | grep -q "203 dpi" && ok ||
        echo "note: the page's text is outlines; its resolution is checked in the unit test"
else
    fail "no calibration page on LABEL203"
fi
mv "$XDG_CONFIG_HOME/tav/printers.conf" "$scratch/kept.conf"

# 5. TAV_PRINTER overrides the name; a name that means no queue prints on the default.
TAV_PRINTER=CAPTURE print_to LABEL203 "${tag}env" && ok || fail "print with TAV_PRINTER exited $?"
grep -q "printing on CAPTURE .*TAV_PRINTER" "$scratch/err" && ok || fail "TAV_PRINTER: $(cat "$scratch/err")"
captured_pdf "${tag}env" >/dev/null && ok || fail "no job ${tag}env on CAPTURE"
print_to "ZDesigner GK888t (EPL)" "${tag}default" && ok || fail "print to an unknown name exited $?"
grep -q "(the default printer)" "$scratch/err" && ok || fail "the default is not reported: $(cat "$scratch/err")"

# 6. A job name longer than CUPS keeps is cut on a character boundary: "A" and 100 x "中"
#    (301 bytes in UTF-8) keeps "A" and 84 characters, 253 bytes.
long="A$(printf '中%.0s' $(seq 1 100))"
kept="A$(printf '中%.0s' $(seq 1 84))"
print_to CAPTURE "$long" && ok || fail "print with a long job name exited $?"
captured_pdf "$kept" >/dev/null && ok || fail "no job titled with the first 253 bytes of the name"

# 7. A batch says once which queue it prints on (its labels go through the same print path).
printf 'TRACKING\nSF1\n' >"$scratch/rows.csv"
"$tavprint" batch "$label" --csv "$scratch/rows.csv" --printer "Label Printer 203 (EPL)" \
    --delay-ms 0 2>"$scratch/err" && ok || fail "batch exited $?: $(cat "$scratch/err")"
[ "$(grep -c "printing on LABEL203 for the printer \"Label Printer 203 (EPL)\"" "$scratch/err")" = 1 ] &&
    ok || fail "batch does not report the queue once: $(cat "$scratch/err")"

# 8. TAVPrint, bound by name from plain C, prints a template that names a printer by its
#    description (it used to return 0): the same label lands on LABEL203 moved by the margins.
TAV_KEEP_LIBRARY_LOADED=1 "$c_api_test" "$library" "$scratch" CAPTURE "${tag}api-raw" >/dev/null &&
    ok || fail "the C test printing to CAPTURE failed"
TAV_KEEP_LIBRARY_LOADED=1 "$c_api_test" "$library" "$scratch" "Label Printer 203 (EPL)" \
    "${tag}api-label" >/dev/null && ok || fail "TAVPrint of a template naming a description failed"
if raw=$(captured_pdf "${tag}api-raw") && moved=$(captured_pdf "${tag}api-label"); then
    expect_shift "$(ink_corner "$moved")" "$(ink_corner "$raw")" 32 24 "TAVPrint on LABEL203"
else
    fail "the C test's jobs were not captured"
fi

finish
