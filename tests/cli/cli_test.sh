#!/usr/bin/env bash
# End-to-end checks of tavprint as a user runs it.
# usage: cli_test.sh TAVPRINT MAKE_EXAMPLES SOURCE_DIR
# TAV_UPDATE_GOLDEN=1 rewrites the golden JSON files for review.
set -u
tavprint=$1 make_examples=$2 src=$3
golden=$src/tests/data/cli
source "$(dirname "$0")/../support/e2e.sh"

# 1. The shipped examples are exactly what the generator writes.
"$make_examples" "$scratch" || fail "make_examples failed"
for f in "$src"/examples/*.tav; do
    if cmp -s "$f" "$scratch/$(basename "$f")"; then ok; else fail "$(basename "$f") differs from the generator's output"; fi
done

# 2. info prints each example as the golden JSON, with both readers.
for f in "$src"/examples/*.tav; do
    name=$(basename "$f" .tav)
    for variant in engine editor; do
        flag=(); [ "$variant" = editor ] && flag=(--editor)
        out="$scratch/$name.$variant.json"
        if ! "$tavprint" info "$f" "${flag[@]}" >"$out" 2>"$scratch/err"; then
            fail "info $name ($variant) exited non-zero: $(cat "$scratch/err")"; continue
        fi
        if [ "${TAV_UPDATE_GOLDEN:-}" = 1 ] && [ "$variant" = engine ]; then cp "$out" "$golden/$name.json"; fi
        if cmp -s "$out" "$golden/$name.json"; then ok; else fail "info $name ($variant) differs from $golden/$name.json"; diff "$out" "$golden/$name.json" | head -20 >&2; fi
    done
done

# 3. An unreadable template: exit 1, one line on stderr, nothing on stdout.
expect_failure() { # expected-code description args...
    local code=$1 what=$2; shift 2
    "$tavprint" "$@" >"$scratch/out" 2>"$scratch/err"
    local rc=$?
    if [ "$rc" -ne "$code" ]; then fail "$what: exit $rc, expected $code"; return; fi
    if [ -s "$scratch/out" ]; then fail "$what: printed on stdout"; return; fi
    if [ ! -s "$scratch/err" ]; then fail "$what: no message on stderr"; return; fi
    ok
}
expect_failure 1 "missing file" info "$scratch/missing.tav"
[ "$(wc -l <"$scratch/err")" -eq 1 ] && ok || fail "missing file: more than one line on stderr"
printf 'TAV 3.0...\0\0\0\0' >"$scratch/old.tav"
expect_failure 1 "old version in the engine reader" info "$scratch/old.tav"
"$tavprint" info --editor "$scratch/old.tav" >/dev/null && ok || fail "the editor reader refused TAV 3.0"
expect_failure 1 "a folder" info "$scratch"
expect_failure 2 "no file" info
expect_failure 2 "unknown option" info --bogus x.tav
expect_failure 2 "unknown command" frobnicate
expect_failure 2 "no command"

# 4. No CUPS scheduler to be reached: exit code 3, whatever the command.
CUPS_SERVER=$scratch/no-such-cups.sock expect_failure 3 "printers without a scheduler" printers
CUPS_SERVER=$scratch/no-such-cups.sock expect_failure 3 "print without a scheduler" \
    print "$src/examples/price-tag.tav" --printer PDF

# 5. CSV batches: the encoding is decided before the first row, and a file that cannot be
#    read right, a FIFO or a device prints nothing.
tag=$src/examples/price-tag.tav
printf '{PRODUCT}\n\303\251\314\250\n' >"$scratch/moutai.csv" # 茅台 in GBK, also UTF-8
"$tavprint" batch "$tag" --csv "$scratch/moutai.csv" --output "$scratch/moutai.pdf" 2>"$scratch/err" \
    && ok || fail "GBK batch: exit $?: $(cat "$scratch/err")"
grep -q "read as GBK" "$scratch/err" && ok || fail "no note on the encoding chosen: $(cat "$scratch/err")"
"$tavprint" batch "$tag" --csv "$scratch/moutai.csv" --encoding utf-8 --replace-unprintable \
    --output "$scratch/moutai.pdf" \
    2>"$scratch/err" && ok || fail "--encoding utf-8: exit $?"
grep -q "read as" "$scratch/err" && fail "a stated encoding gave a note" || ok
printf '{PRODUCT}\n苹果\n\377\n' >"$scratch/stray.csv"
expect_failure 1 "a line in no encoding" batch "$tag" --csv "$scratch/stray.csv" --output "$scratch/stray.pdf"
grep -q "line 3 is not UTF-8" "$scratch/err" && ok || fail "the bad line is not named: $(cat "$scratch/err")"
[ ! -e "$scratch/stray.pdf" ] && ok || fail "a file no encoding fits was printed"
expect_failure 2 "an unknown encoding" batch "$tag" --csv "$scratch/moutai.csv" --encoding latin1 \
    --output "$scratch/x.pdf"
mkfifo "$scratch/fifo.csv"
for csv in "$scratch/fifo.csv" /dev/zero; do
    timeout 10 "$tavprint" batch "$tag" --csv "$csv" --output "$scratch/x.pdf" 2>"$scratch/err"
    rc=$?
    [ "$rc" -eq 1 ] && grep -q "not a regular file" "$scratch/err" && ok \
        || fail "--csv $csv: exit $rc: $(cat "$scratch/err")"
done
mkfifo "$scratch/fifo.tav"
timeout 10 "$tavprint" info "$scratch/fifo.tav" >/dev/null 2>&1
rc=$?
[ "$rc" -eq 1 ] && ok || fail "a FIFO as template: exit $rc"

# 6. Help.
"$tavprint" --help | grep -q '^Usage: tavprint' && ok || fail "--help"
"$tavprint" info --help | grep -q '^Usage: tavprint' && ok || fail "info --help"

finish
