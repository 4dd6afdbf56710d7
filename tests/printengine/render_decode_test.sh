#!/usr/bin/env bash
# The symbols on a rendered page must scan: the shipped shipping label, its marks filled, drawn
# at the resolutions of common label printers and office printers, and read back with two
# independent decoders (zbar and ZXing).
# usage: render_decode_test.sh TAVPRINT SOURCE_DIR
set -u
tavprint=$1 src=$2
source "$(dirname "$0")/../support/e2e.sh"

code=SF2024120001
url=https://example.com/track/$code
for dpi in 203 300 600; do
    png=$scratch/label-$dpi.png
    if ! "$tavprint" render "$src/examples/shipping-label.tav" -o "$png" --dpi "$dpi" \
        --set TRACKING="$code" --set QR="$url" --set '{NAME}=王小明'; then
        fail "render at $dpi dpi"; continue
    fi
    zbar=$(zbarimg --nodbus -q "$png" 2>/dev/null)
    grep -qx "CODE-128:$code" <<<"$zbar" && ok || fail "zbar, $dpi dpi: no Code 128 '$code' in: $zbar"
    grep -qx "QR-Code:$url" <<<"$zbar" && ok || fail "zbar, $dpi dpi: no QR code '$url' in: $zbar"
    # ZXingReader exits 0 whatever it finds: read what it says, one format at a time.
    # -noscale: ZXing 1.4 aborts on an assertion when it compares a Code 128 found again in its
    # downscaled copies of a large picture (its fault, not the picture's).
    zxing=$(ZXingReader -format Code128 -noscale "$png" 2>/dev/null)
    grep -q "Text: *\"$code\"" <<<"$zxing" && ok || fail "ZXing, $dpi dpi: no Code 128 '$code'"
    zxqr=$(ZXingReader -format QRCode "$png" 2>/dev/null)
    grep -q "Text: *\"$url\"" <<<"$zxqr" && ok || fail "ZXing, $dpi dpi: no QR code '$url'"
done

finish
