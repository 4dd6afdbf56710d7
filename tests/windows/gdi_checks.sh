#!/usr/bin/env bash
# The GDI canvas, GDI+ decoding and winspool printing of the x86-64 Windows build, under wine64:
#  - rendering: each shipped example drawn by GDI into a memory bitmap at 254 dpi against the
#    same page drawn by cairo (page_ink of both builds): every element's ink box within 1 dot,
#    text drawn with the fonts the Linux side maps the template's faces to (font_replacements.py),
#    and the same barcodes and QR codes read back by zbarimg from both pages;
#  - printing: TAVPrint through Wine's winspool into the CUPS queue CAPTURE (scripts/services):
#    one job of one page under the name asked, whose barcode reads back; a page with a picture
#    that cannot be decoded, a job on an unknown printer and an abandoned job leave no job; the
#    default printer is the same afterwards.
# Usage: tests/windows/gdi_checks.sh WIN64_BUILD LINUX_BUILD OUT
# Wine runs in the prefix $WINEPREFIX (made here when unset); every Wine call has a timeout and
# writes its output to files under OUT.
set -uo pipefail
if [ $# -ne 3 ]; then
    echo "usage: $0 WIN64_BUILD LINUX_BUILD OUT" >&2
    exit 2
fi
top=$(cd "$(dirname "$0")/../.." && pwd)
win=$(cd "$1" && pwd)
linux=$(cd "$2" && pwd)
mkdir -p "$3"
out=$(cd "$3" && pwd)
cd "$out" # Wine's programs are given paths relative to it
capture=${TAV_CAPTURE_OUT:-/var/spool/tav-capture}
pdf_out=${TAV_PDF_OUT:-/var/spool/cups-pdf/ANONYMOUS}

export PATH=/usr/lib/wine:$PATH
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"winemenubuilder.exe,winedbg.exe,mscoree,mshtml,winegstreamer=d"}
export LC_ALL=${LC_ALL:-zh_CN.UTF-8}
own_prefix=
if [ -z "${WINEPREFIX:-}" ]; then
    export WINEPREFIX=$out/wineprefix
    own_prefix=1
fi
program() { find "$win" -name "$1" -type f | head -1; }
ink_exe=$(program page_ink.exe)
print_exe=$(program print_check.exe)
spooler_exe=$(program spooler_check.exe)
dll=$(program TAVPrint.dll)
for f in "$ink_exe" "$print_exe" "$spooler_exe" "$dll" "$linux/bin/page_ink"; do
    if [ -z "$f" ] || [ ! -f "$f" ]; then
        echo "gdi_checks: a program is missing from $win or $linux/bin" >&2
        exit 2
    fi
done
# The DLLs beside TAVPrint.dll are found through Wine's PATH (unless the caller set it).
export WINEPATH=${WINEPATH:-$(dirname "$dll")}

if [ -n "$own_prefix" ]; then
    timeout 60 wineserver -p >"$out/wineserver.log" 2>&1
    timeout 180 wine64 wineboot -i >"$out/wineboot.log" 2>&1 || {
        echo "gdi_checks: the Wine prefix did not boot (see $out/wineboot.log)" >&2
        exit 1
    }
fi
# The template's Windows faces drawn with the fonts the cairo page uses for them.
python3 "$top/tests/windows/font_replacements.py" "$top/platform/cairo/fonts.conf" fonts.reg &&
    timeout 60 wine64 regedit /S fonts.reg >regedit.log 2>&1 ||
    echo "gdi_checks: the font replacements could not be set (see $out/regedit.log)" >&2

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

echo "== rendering: GDI against cairo at 254 dpi"
for tav in "$top"/examples/*.tav; do
    name=$(basename "$tav" .tav)
    cp "$tav" "$out/$name.tav"
    timeout 120 wine64 "$ink_exe" "$name.tav" 254 "$name.gdi.ppm" >"$name.gdi.txt" 2>"$name.gdi.err" ||
        { fail "$name: page_ink.exe (see $out/$name.gdi.err)"; continue; }
    "$linux/bin/page_ink" "$name.tav" 254 "$name.cairo.ppm" >"$name.cairo.txt" 2>"$name.cairo.err" ||
        { fail "$name: page_ink (see $out/$name.cairo.err)"; continue; }
    python3 "$top/tests/windows/compare_ink.py" "$name.gdi.txt" "$name.cairo.txt" >"$name.compare.txt"
    status=$?
    sed "s/^/  $name: /" "$name.compare.txt"
    [ $status -eq 0 ] || fail "$name: ink boxes differ"
    gdi_codes=$(zbarimg -q --raw "$name.gdi.ppm" 2>/dev/null | sort)
    cairo_codes=$(zbarimg -q --raw "$name.cairo.ppm" 2>/dev/null | sort)
    echo "  $name: symbols read from GDI's page: $(echo $gdi_codes)"
    [ "$gdi_codes" = "$cairo_codes" ] || fail "$name: GDI's symbols '$gdi_codes', cairo's '$cairo_codes'"
done

echo "== printing through winspool into CUPS"
if ! lpstat -p CAPTURE >/dev/null 2>&1; then
    fail "the CUPS queue CAPTURE is missing (run scripts/services under tav-locked)"
else
    title=wingdi-$$-$(date +%s)
    timeout 60 wine64 "$spooler_exe" default >default-before.txt 2>spooler.err
    TAV_PRINTER=CAPTURE timeout 120 wine64 "$print_exe" shipping-label.tav "$title" \
        >print.out 2>print.err || fail "TAVPrint failed (status $?)"
    echo "not a picture" >notapicture.txt
    TAV_PRINTER=CAPTURE timeout 120 wine64 "$print_exe" product-label.tav \
        "$title-broken" notapicture.txt >broken.out 2>broken.err
    status=$?
    [ $status -eq 1 ] || fail "a page with an undecodable picture: print_check gave $status, not 1"
    timeout 60 wine64 "$spooler_exe" unknown "$title-unknown" >unknown.out 2>unknown.err ||
        fail "a job on an unknown printer was not refused as unknown"
    timeout 60 wine64 "$spooler_exe" abandon CAPTURE "$title-abandoned" >abandon.out 2>abandon.err ||
        fail "the abandoned job could not be begun"
    timeout 60 wine64 "$spooler_exe" default >default-after.txt 2>>spooler.err
    # The captured job: found by its name, waited for while CUPS runs it.
    job=
    for _ in $(seq 60); do
        job=$(grep -lx -- "$title" "$capture"/job-*.title 2>/dev/null | head -1)
        [ -n "$job" ] && break
        sleep 1
    done
    if [ -z "$job" ]; then
        fail "no job named $title reached CAPTURE"
    else
        count=$(grep -lx -- "$title" "$capture"/job-*.title | wc -l)
        [ "$count" -eq 1 ] || fail "$count jobs named $title"
        cp "${job%.title}.bin" printed.ps
        rm -f printed-*.pgm
        timeout 120 gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=pgmraw -r150 \
            -sOutputFile=printed-%d.pgm printed.ps >gs.log 2>&1 || fail "gs cannot read the job"
        pages=$(ls printed-*.pgm 2>/dev/null | wc -l)
        echo "  job $(basename "${job%.title}"): $pages page(s), $(head -c 40 printed.ps | head -1)"
        [ "$pages" -eq 1 ] || fail "the job has $pages pages, not 1"
        codes=$(zbarimg -q --raw printed-1.pgm 2>/dev/null | sort | tr '\n' ' ')
        echo "  symbols read from the printed page: $codes"
        case " $codes" in *" SF1234567890 "*) ;; *) fail "the printed barcode does not read as SF1234567890" ;; esac
    fi
    sleep 3 # anything that was queued by mistake has reached the backends by now
    for what in broken unknown abandoned; do
        if grep -qlx -- "$title-$what" "$capture"/job-*.title 2>/dev/null ||
            ls "$pdf_out" 2>/dev/null | grep -q -- "$title-$what"; then
            fail "the $what job left a job behind"
        fi
    done
    if ! cmp -s default-before.txt default-after.txt || [ ! -s default-before.txt ]; then
        fail "the default printer was '$(cat default-before.txt)', is '$(cat default-after.txt)'"
    else
        echo "  default printer unchanged: $(cat default-after.txt)"
    fi
fi

if [ -n "$own_prefix" ]; then
    timeout 60 wineserver -k >>"$out/wineserver.log" 2>&1
fi
if [ $failures -ne 0 ]; then
    echo "gdi_checks: $failures failure(s)"
    exit 1
fi
echo "gdi_checks: all passed"
