#!/usr/bin/env bash
# Printing end to end through a real CUPS scheduler, as users and outside programs do:
# tavprint print to the cups-pdf queue "PDF" (the page is checked by rasterising it and
# decoding its barcodes), and TAVPrint through the C interface to the queue "CAPTURE", which
# keeps the exact bytes, title and copies of every job.
# usage: print_e2e_test.sh TAVPRINT C_API_TEST LIBTAVPRINT SOURCE_DIR
set -u
tavprint=$1 c_api_test=$2 library=$3 src=$4
source "$(dirname "$0")/../support/e2e.sh"

start_services "$src"

# Waits for the first file matching a glob to appear (jobs are processed asynchronously).
wait_for() {
    local pattern=$1 f
    for _ in $(seq 1 120); do
        for f in $pattern; do
            [ -e "$f" ] && { echo "$f"; return 0; }
        done
        sleep 0.25
    done
    return 1
}
# Waits until the PDF a queue writes is complete: cups-pdf creates the file before it fills it.
wait_for_pdf() {
    local pattern=$1 f
    f=$(wait_for "$pattern") || return 1
    for _ in $(seq 1 120); do
        pdfinfo "$f" >/dev/null 2>&1 && { echo "$f"; return 0; }
        sleep 0.25
    done
    return 1
}
# Waits for the captured job titled $1 and prints the path of its title file.
wait_for_title() {
    local found
    for _ in $(seq 1 120); do
        found=$(grep -lx -- "$1" "$TAV_CAPTURE_OUT"/job-*.title 2>/dev/null | head -n 1)
        [ -n "$found" ] && { echo "$found"; return 0; }
        sleep 0.25
    done
    return 1
}
capture_count() { find "$TAV_CAPTURE_OUT" -name 'job-*.bin' | wc -l; }

tag="e2e$$x$RANDOM"

# 1. tavprint print to cups-pdf: page size and both symbols readable from the printed page.
"$tavprint" print "$src/examples/shipping-label.tav" --printer PDF --job-name "${tag}ship" \
    --set '{NAME}=王小明' --set TRACKING=SF1234567890 --set QR=https://example.com/t/SF1234567890 \
    && ok || fail "tavprint print to PDF exited $?"
if pdf=$(wait_for_pdf "$TAV_PDF_OUT/${tag}ship*-job_*.pdf"); then
    ok
    # 100 x 60 mm is 283.465 x 170.079 points; cups-pdf rewrites the PDF and rounds to points.
    size=$(pdfinfo "$pdf" | sed -n 's/^Page size: *//p')
    awk -v s="$size" 'BEGIN { split(s, p, " "); exit !((p[1] - 283.465) ^ 2 < 1 && (p[3] - 170.079) ^ 2 < 1) }' \
        && ok || fail "page size is '$size', expected 100 x 60 mm"
    pdftoppm -r 300 -png -singlefile "$pdf" "$scratch/page"
    decoded=$(zbarimg --nodbus -q "$scratch/page.png" 2>/dev/null)
    grep -qx "CODE-128:SF1234567890" <<<"$decoded" && ok || fail "barcode not read from the page: $decoded"
    grep -qx "QR-Code:https://example.com/t/SF1234567890" <<<"$decoded" && ok || fail "QR code not read from the page: $decoded"
else
    fail "no PDF for job ${tag}ship in $TAV_PDF_OUT"
fi

# 2. Copies and the job name reach the spooler exactly.
before=$(capture_count)
"$tavprint" print "$src/examples/price-tag.tav" --printer CAPTURE --copies 3 --job-name "${tag}价签" \
    --set '{PRICE}=3.50' && ok || fail "tavprint print to CAPTURE exited $?"
if job=$(wait_for_title "${tag}价签"); then
    ok
    base=${job%.title}
    wait_for "$base.bin" >/dev/null
    [ "$(cat "$base.copies")" = 3 ] && ok || fail "copies: $(cat "$base.copies")"
    [ "$(head -c 5 "$base.bin")" = "%PDF-" ] && ok || fail "the job is not the PDF document"
else
    fail "no captured job titled ${tag}价签"
fi

# 3. Failures leave no job: an element that cannot be drawn. (A printer name that means no
#    queue prints on the default printer; printer_placement_e2e_test.sh checks that.)
before=$(capture_count)
"$tavprint" print "$src/examples/price-tag.tav" --printer CAPTURE --set NOT-A-MARK=1 2>/dev/null
rc=$?; [ "$rc" -eq 1 ] && ok || fail "unknown mark: exit $rc, expected 1"

# 4. TAVPrint through the C interface, bound by name: a barcode that was not made is refused,
#    then the filled label is printed under the GBK job name given.
gbk_name=$(printf 'TAVPrint_%s_\xB2\xE2\xCA\xD4' "$tag") # 测试 in GBK
TAV_KEEP_LIBRARY_LOADED=1 "$c_api_test" "$library" "$scratch" CAPTURE "$gbk_name" >/dev/null && ok || fail "the C test of TAVPrint failed"
if job=$(wait_for_title "TAVPrint_${tag}_测试"); then
    ok
    bin=${job%.title}.bin
    wait_for "$bin" >/dev/null
    pdftoppm -r 300 -png -singlefile "$bin" "$scratch/api" 2>/dev/null
    zbarimg --nodbus -q --raw "$scratch/api.png" 2>/dev/null | grep -qx "TAV-E2E-42" && ok || fail "TAVPrint's page does not carry the barcode"
else
    fail "no captured job titled TAVPrint_${tag}_测试"
fi
sleep 1
after=$(capture_count)
# Jobs 2 and 4 reached the queue; the refused ones (3 and the unmade barcode) did not.
[ "$after" -eq $((before + 1)) ] && ok || fail "expected exactly one new captured job after the failures, got $((after - before))"

finish
