#!/usr/bin/env bash
# The spooler never gets half a job: tavprint print stopped by SIGTERM while it sends a big
# document leaves no job on the queue CAPTURE, neither printed nor waiting for the rest; the
# same document sent without interruption arrives whole.
# usage: interrupted_job_test.sh TAVPRINT SIGNAL_AFTER_SEND_LIBRARY SOURCE_DIR
set -u
tavprint=$1 preload=$2 src=$3
source "$(dirname "$0")/../support/e2e.sh"

start_services "$src"
command -v lpq >/dev/null || { fail "lpq (cups-bsd) is needed to see queued jobs"; finish; exit; }

# A picture of noise that does not compress: the label's PDF carries all 4.3 MB of it.
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))\\x$(printf %02x $(($1 >> 16 & 255)))\\x$(printf %02x $(($1 >> 24 & 255)))"; }
noise_bmp() { # WIDTH HEIGHT (WIDTH a multiple of 4)
    local size=$(($1 * $2 * 3))
    { printf 'BM'; le32 $((54 + size)); le32 0; le32 54; le32 40; le32 "$1"; le32 "$2"
      printf '\x01\x00\x18\x00'; le32 0; le32 "$size"; le32 2835; le32 2835; le32 0; le32 0
      head -c "$size" /dev/urandom; }
}
noise_bmp 1200 1200 >"$scratch/noise.bmp"
label=$src/examples/product-label.tav
tag="stop$$x$RANDOM"

# Jobs on CAPTURE titled $1: still queued (lpq lists job names) or already printed.
queued() { lpq -P CAPTURE 2>/dev/null | grep -cF -- "$1"; }
printed() { grep -lxF -- "$1" "$TAV_CAPTURE_OUT"/job-*.title 2>/dev/null | wc -l; }
withdraw() { # cancels what a failed run left, so that the shared queue stays clean
    lpq -P CAPTURE 2>/dev/null | grep -F -- "$1" | awk '{ print $3 }' | xargs -r -n 1 cancel 2>/dev/null
}

# A sanitizer runtime would insist on coming before the preloaded library.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"

# 1. SIGTERM after 1 MB of the upload: exit 143, no job anywhere.
LD_PRELOAD=$preload TAV_TEST_SIGNAL_AFTER_BYTES=1000000 \
    "$tavprint" print "$label" --printer CAPTURE --job-name "${tag}cut" --set "图片=$scratch/noise.bmp" \
    2>"$scratch/err"
rc=$?
[ "$rc" -eq 143 ] && ok || fail "stopped print: exit $rc, expected 143: $(cat "$scratch/err")"
sleep 2 # time for a job the scheduler did take to show up
[ "$(queued "${tag}cut")" -eq 0 ] && ok || fail "a job stays queued after the stopped upload"
[ "$(printed "${tag}cut")" -eq 0 ] && ok || fail "a job was printed from the stopped upload"
withdraw "${tag}cut"

# 2. The same document without the signal: one job, the whole document.
LD_PRELOAD=$preload "$tavprint" print "$label" --printer CAPTURE --job-name "${tag}whole" \
    --set "图片=$scratch/noise.bmp" 2>"$scratch/err" && ok || fail "print exited $?: $(cat "$scratch/err")"
for _ in $(seq 1 120); do
    title=$(grep -lxF -- "${tag}whole" "$TAV_CAPTURE_OUT"/job-*.title 2>/dev/null | head -n 1)
    [ -n "$title" ] && [ -e "${title%.title}.bin" ] && break
    sleep 0.25
done
if [ -n "$title" ] && [ -e "${title%.title}.bin" ]; then
    bin=${title%.title}.bin
    size=$(stat -c %s "$bin")
    [ "$size" -gt 4000000 ] && tail -c 6 "$bin" | grep -q '%%EOF' && ok ||
        fail "the whole document did not arrive: $size bytes"
else
    fail "the uninterrupted job was not printed"
fi

finish
