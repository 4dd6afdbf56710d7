#!/usr/bin/env bash
# What tavprint does to the files around the one it writes: a wrong --output or -o is refused
# before anything is read or written, a replaced file keeps its owner and mode, and a batch
# stopped by SIGINT, SIGTERM or SIGHUP leaves neither a temporary file nor a half document.
# usage: output_files_test.sh TAVPRINT SOURCE_DIR
set -u
tavprint=$1 src=$2
source "$(dirname "$0")/../support/e2e.sh"

label=$src/examples/product-label.tav
cp "$label" "$scratch/label.tav"
printf '名称,序号,条码\n甲,1,TAV00001\n乙,2,TAV00002\n' >"$scratch/rows.csv"
echo "keep me" >"$scratch/target.txt"
ln -s "$scratch/target.txt" "$scratch/link.pdf"
mkfifo "$scratch/fifo.pdf"
mkdir "$scratch/folder.pdf"
ln "$scratch/rows.csv" "$scratch/rows-hardlink.pdf" # the data file under a .pdf name
cp "$label" "$scratch/label-as.pdf"                    # a template whose name ends in .pdf
if [ "$(id -u)" -eq 0 ]; then mknod "$scratch/null.pdf" c 1 3; fi
checksum() { (cd "$scratch" && md5sum label.tav rows.csv target.txt label-as.pdf && ls -I err); }

# 1. Outputs that must be refused (exit 2), for batch --output and for render -o; nothing at
#    or behind the path changes, and a FIFO does not make tavprint wait.
#    expected words in the message | output path
cases=(
    "must end in .pdf|$scratch/rows.csv"
    "must end in .pdf|$scratch/label.tav"
    "must end in .pdf|$scratch/out.txt"
    "symbolic link|$scratch/link.pdf"
    "not a regular file|$scratch/fifo.pdf"
    "is a folder|$scratch/folder.pdf"
    "is the input file|$scratch/rows-hardlink.pdf"
)
[ -e "$scratch/null.pdf" ] && cases+=("not a regular file|$scratch/null.pdf")
before=$(checksum)
for entry in "${cases[@]}"; do
    words=${entry%%|*} out=${entry#*|}
    timeout 20 "$tavprint" batch "$scratch/label.tav" --csv "$scratch/rows.csv" --output "$out" 2>"$scratch/err"
    rc=$?
    [ "$rc" -eq 2 ] && grep -q "$words" "$scratch/err" && ok ||
        fail "batch --output $out: exit $rc, expected 2 with '$words': $(cat "$scratch/err")"
done
# The template itself as the output, by the same name and by another name of the same file.
timeout 20 "$tavprint" batch "$scratch/label-as.pdf" --csv "$scratch/rows.csv" --output "$scratch/./label-as.pdf" 2>"$scratch/err"
rc=$?
[ "$rc" -eq 2 ] && grep -q "is the input file" "$scratch/err" && ok || fail "batch over its own template: exit $rc: $(cat "$scratch/err")"
for out in "$scratch/label-as.pdf" "$scratch/link.pdf" "$scratch/fifo.pdf" "$scratch/folder.pdf"; do
    timeout 20 "$tavprint" render "$scratch/label-as.pdf" -o "$out" 2>"$scratch/err"
    rc=$?
    [ "$rc" -eq 2 ] && ok || fail "render -o $out: exit $rc, expected 2: $(cat "$scratch/err")"
done
[ "$(checksum)" = "$before" ] && ok || fail "a refused output changed a file"
[ -L "$scratch/link.pdf" ] && [ -p "$scratch/fifo.pdf" ] && [ -d "$scratch/folder.pdf" ] && ok ||
    fail "a refused output replaced a link, FIFO or folder"
[ ! -e "$scratch/null.pdf" ] || [ -c "$scratch/null.pdf" ] && ok || fail "the device node was replaced"

# 2. Replacing a regular file keeps its mode and, when tavprint runs as root, its owner.
echo old >"$scratch/mine.pdf"
chmod 0640 "$scratch/mine.pdf"
[ "$(id -u)" -eq 0 ] && chown 65534:65534 "$scratch/mine.pdf"
owner_before=$(stat -c '%u:%g %a' "$scratch/mine.pdf")
"$tavprint" batch "$scratch/label.tav" --csv "$scratch/rows.csv" --output "$scratch/mine.pdf" 2>"$scratch/err" &&
    [ "$(head -c 5 "$scratch/mine.pdf")" = "%PDF-" ] && ok || fail "batch into an existing PDF: $(cat "$scratch/err")"
owner_after=$(stat -c '%u:%g %a' "$scratch/mine.pdf")
[ "$owner_after" = "$owner_before" ] && ok || fail "owner and mode were $owner_before, now $owner_after"

# 3. A batch stopped while it writes a big PDF: exit 128 + the signal, no temporary file left,
#    and the PDF that was there before is untouched.
{
    echo "名称,序号,条码"
    for i in $(seq 1 300000); do echo "商品$i,$i,TAV$i"; done
} >"$scratch/many.csv"
for signal in INT TERM HUP; do
    echo "the previous document" >"$scratch/big.pdf"
    # A script's background job starts with SIGINT ignored; give the program the defaults.
    env --default-signal=INT,TERM,HUP "$tavprint" batch "$scratch/label.tav" --csv "$scratch/many.csv" \
        --output "$scratch/big.pdf" 2>"$scratch/err" &
    pid=$!
    started=0
    for _ in $(seq 1 400); do
        temp=$(find "$scratch" -maxdepth 1 -name 'big.pdf.*' -size +1M | head -n 1)
        [ -n "$temp" ] && { started=1; break; }
        sleep 0.05
    done
    kill -s "$signal" "$pid"
    wait "$pid"
    rc=$?
    want=$((128 + $(kill -l "$signal")))
    [ "$started" -eq 1 ] || fail "SIG$signal: the batch wrote no temporary file"
    [ "$rc" -eq "$want" ] && ok || fail "SIG$signal: exit $rc, expected $want: $(tail -n 3 "$scratch/err")"
    left=$(find "$scratch" -maxdepth 1 -name 'big.pdf.*')
    [ -z "$left" ] && ok || { fail "SIG$signal left $left"; rm -f "$scratch"/big.pdf.*; }
    [ "$(cat "$scratch/big.pdf")" = "the previous document" ] && ok || fail "SIG$signal changed the previous PDF"
    grep -q "interrupted" "$scratch/err" && ok || fail "SIG$signal: no summary: $(tail -n 3 "$scratch/err")"
done

# 4. Started with SIGHUP ignored (nohup), a batch keeps running through a hangup.
env --ignore-signal=HUP "$tavprint" batch "$scratch/label.tav" --csv "$scratch/many.csv" \
    --output "$scratch/nohup.pdf" 2>/dev/null &
pid=$!
for _ in $(seq 1 400); do
    [ -n "$(find "$scratch" -maxdepth 1 -name 'nohup.pdf.*' -size +1M)" ] && break
    sleep 0.05
done
kill -s HUP "$pid"
sleep 0.3
kill -0 "$pid" 2>/dev/null && ok || fail "a batch started under nohup stopped on SIGHUP"
kill -s TERM "$pid"
wait "$pid"

finish
