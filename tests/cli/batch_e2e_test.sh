#!/usr/bin/env bash
# Batch printing end to end, as users run it: rows from the test MariaDB server (through the
# MySQL client and through ODBC) and from CSV, one CUPS job per row on the queue "CAPTURE"
# (which keeps every job's exact bytes and title), or one PDF of all rows.
# usage: batch_e2e_test.sh TAVPRINT SOURCE_DIR
set -u
tavprint=$1 src=$2
source "$(dirname "$0")/../support/e2e.sh"

start_services "$src"
mysql="SERVER=127.0.0.1;PORT=${TAV_MYSQL_PORT:-3306};UID=${TAV_MYSQL_USER:-tav};PWD=${TAV_MYSQL_PASSWORD:-tav-pw-4711};DATABASE=${TAV_MYSQL_DATABASE:-tavtest}"
odbc="DRIVER={${TAV_ODBC_DRIVER:-MariaDB Unicode}};$mysql;CHARSET=gbk"
label=$src/examples/product-label.tav
query="select 序号, 条码, 名称 from batch order by 序号"

last_job() { find "$TAV_CAPTURE_OUT" -name 'job-*.title' | sed 's/.*job-\([0-9]*\)\.title/\1/' | sort -n | tail -n 1; }
# The jobs captured after job number $1, as "id title" lines, once $2 of them are complete.
jobs_after() {
    local since=$1 want=$2 found
    for _ in $(seq 1 160); do
        found=$(for f in "$TAV_CAPTURE_OUT"/job-*.bin; do
            id=${f##*/job-}; id=${id%.bin}
            [ "$id" -gt "$since" ] && echo "$id $(cat "$TAV_CAPTURE_OUT/job-$id.title")"
        done | sort -n)
        [ "$(grep -c . <<<"$found")" -ge "$want" ] && break
        sleep 0.25
    done
    echo "$found"
}
barcode_of() { # the Code 128 text on page $2 (default 1) of the PDF $1
    pdftoppm -r 200 -png -singlefile -f "${2:-1}" -l "${2:-1}" "$1" "$scratch/page" 2>/dev/null
    zbarimg --nodbus -q -Scode128.enable -Sqrcode.disable "$scratch/page.png" 2>/dev/null | sed -n 's/^CODE-128://p'
}

# 1. Twenty rows from MariaDB: twenty jobs TAVPrint_1 .. TAVPrint_20, each with its row's code.
since=$(last_job); since=${since:-0}
"$tavprint" batch "$label" --mysql "$mysql" --sql "$query" --printer CAPTURE --delay-ms 0 \
    2>"$scratch/err" && ok || fail "MySQL batch exited $?: $(cat "$scratch/err")"
grep -q "20 printed, 0 failed" "$scratch/err" && ok || fail "MySQL batch summary: $(cat "$scratch/err")"
grep -q "tav-pw-4711" "$scratch/err" && fail "the password was printed" || ok
captured=$(jobs_after "$since" 20)
[ "$(grep -c . <<<"$captured")" -eq 20 ] && ok || fail "expected 20 jobs, got: $captured"
wrong=0
while read -r id title; do
    n=${title#TAVPrint_}
    code=$(barcode_of "$TAV_CAPTURE_OUT/job-$id.bin")
    [ "$code" = "$(printf 'TAV%05d' "$n")" ] || { wrong=$((wrong + 1)); echo "job $id ($title) reads '$code'" >&2; }
done <<<"$captured"
[ "$wrong" -eq 0 ] && ok || fail "$wrong jobs do not carry their row's barcode"
[ "$(cut -d' ' -f2 <<<"$captured" | sort -t_ -k2 -n | tr '\n' ' ')" = "$(for i in $(seq 1 20); do printf 'TAVPrint_%d ' "$i"; done)" ] \
    && ok || fail "job names are not TAVPrint_1 .. TAVPrint_20"

# 2. The same batch as one PDF, through the MySQL client and through ODBC.
for via in mysql odbc; do
    conn=$mysql; [ "$via" = odbc ] && conn=$odbc
    "$tavprint" batch "$label" --"$via" "$conn" --sql "$query" --output "$scratch/$via.pdf" 2>"$scratch/err" \
        && ok || fail "$via batch to PDF exited $?: $(cat "$scratch/err")"
    pages=$(pdfinfo "$scratch/$via.pdf" 2>/dev/null | sed -n 's/^Pages: *//p')
    [ "$pages" = 20 ] && ok || fail "$via: the PDF has '$pages' pages, expected 20"
    for n in 1 13 20; do
        code=$(barcode_of "$scratch/$via.pdf" "$n")
        [ "$code" = "$(printf 'TAV%05d' "$n")" ] && ok || fail "$via: page $n reads '$code'"
    done
done

# 3. Chosen rows keep their numbers.
since=$(last_job)
"$tavprint" batch "$label" --mysql "$mysql" --sql "$query" --rows 2,5-6 --printer CAPTURE --delay-ms 0 2>/dev/null \
    && ok || fail "batch with --rows exited $?"
titles=$(jobs_after "$since" 3 | cut -d' ' -f2 | tr '\n' ' ')
[ "$titles" = "TAVPrint_2 TAVPrint_5 TAVPrint_6 " ] && ok || fail "--rows 2,5-6 printed: $titles"

# 4. A row that fails is reported with its number, and the batch goes on.
printf '名称,条码,图片\n甲,A1,%s\n乙,A2,%s/missing.bmp\n丙,A3,%s\n' \
    "$scratch/logo.bmp" "$scratch" "$scratch/logo.bmp" >"$scratch/rows.csv"
printf 'BM' >"$scratch/logo.bmp" # exists, but is no picture
"$tavprint" batch "$label" --csv "$scratch/rows.csv" --output "$scratch/csv.pdf" 2>"$scratch/err"
rc=$?
[ "$rc" -eq 1 ] && ok || fail "a failed row must make the exit code 1, got $rc"
grep -q "row 2: the picture file" "$scratch/err" && ok || fail "row 2 not reported: $(cat "$scratch/err")"
grep -q "row 1: element" "$scratch/err" && ok || fail "row 1 (an undecodable picture) not reported: $(cat "$scratch/err")"
grep -q "0 printed, 3 failed" "$scratch/err" && ok || fail "summary: $(cat "$scratch/err")"
[ ! -e "$scratch/csv.pdf" ] && ok || fail "a batch that printed nothing wrote a file"

# 5. Wrong credentials: a clear message without the password, nothing printed.
"$tavprint" batch "$label" --mysql "SERVER=127.0.0.1;PORT=${TAV_MYSQL_PORT:-3306};UID=tav;PWD=not-the-pw-99;DATABASE=tavtest" \
    --sql "$query" --output "$scratch/denied.pdf" 2>"$scratch/err"
rc=$?
[ "$rc" -eq 1 ] && ok || fail "wrong credentials: exit $rc"
grep -q "not-the-pw-99" "$scratch/err" && fail "the password was printed" || ok
[ ! -e "$scratch/denied.pdf" ] && ok || fail "a failed batch wrote a file"

# 6. Columns that fill no mark are named before the first row, and a batch whose columns fill
#    nothing is refused instead of printing the template's sample on every label. An empty
#    picture cell keeps the template's picture.
printf 'name,code\napple,A1\npear,A2\n' >"$scratch/nomarks.csv"
"$tavprint" batch "$label" --csv "$scratch/nomarks.csv" --output "$scratch/nomarks.pdf" 2>"$scratch/err"
rc=$?
[ "$rc" -eq 1 ] && ok || fail "a batch whose columns fill no mark: exit $rc"
grep -q "column 1 (name) fills no mark" "$scratch/err" && grep -q "column 2 (code) fills no mark" "$scratch/err" \
    && ok || fail "columns that fill no mark not named: $(cat "$scratch/err")"
grep -q "nothing printed" "$scratch/err" && ok || fail "refusal not said: $(cat "$scratch/err")"
[ ! -e "$scratch/nomarks.pdf" ] && ok || fail "a refused batch wrote a file"
printf '名称,条码,图片,备注\n甲,A1,,x\n' >"$scratch/partly.csv"
"$tavprint" batch "$label" --csv "$scratch/partly.csv" --output "$scratch/partly.pdf" 2>"$scratch/err" \
    && ok || fail "a batch with one unused column and an empty picture cell exited $?: $(cat "$scratch/err")"
grep -q "column 4 (备注) fills no mark" "$scratch/err" && ok || fail "unused column not named: $(cat "$scratch/err")"
grep -q "1 printed, 0 failed" "$scratch/err" && ok || fail "summary: $(cat "$scratch/err")"

# 7. A full disk stops the batch at once (a file size limit stands for it): one message, the
#    summary, exit 1, and neither the document nor its temporary file left behind.
mkdir -p "$scratch/full"
awk 'BEGIN { print "名称,条码"; for (i = 1; i <= 3000; i++) printf "商品%d,TAV%05d\n", i, i }' >"$scratch/many.csv"
(trap '' XFSZ; ulimit -f 100; exec "$tavprint" batch "$label" --csv "$scratch/many.csv" --output "$scratch/full/out.pdf") \
    2>"$scratch/err"
rc=$?
[ "$rc" -eq 1 ] && ok || fail "a full disk: exit $rc"
[ "$(grep -c '^tavprint batch: row' "$scratch/err")" -eq 1 ] && ok || fail "a full disk was met more than once: $(head -c 600 "$scratch/err")"
grep -q "failed, stopped, no file written" "$scratch/err" && ok || fail "no summary after a full disk: $(tail -c 600 "$scratch/err")"
[ -z "$(ls -A "$scratch/full")" ] && ok || fail "a full disk left files: $(ls -A "$scratch/full")"

# 8. A database batch to a printer reads the whole result first: the server drops a connection
#    that is not read from for longer than its write timeout (1 s here), as the pause between
#    jobs (2 s) would make it while rows of 1 MB wait to be sent. The rows read first print too.
since=$(last_job)
slow="set statement net_write_timeout=1 for select seq as 序号, concat('TAV', lpad(seq, 5, '0')) as 条码,
      concat('商品', seq) as 名称, repeat('x', 1000000) as 填充 from seq_1_to_40"
"$tavprint" batch "$label" --mysql "$mysql" --sql "$slow" --rows 1,2,40 --printer CAPTURE --delay-ms 2000 \
    2>"$scratch/err" && ok || fail "a batch paused longer than the server's write timeout exited $?: $(cat "$scratch/err")"
grep -q "3 printed, 0 failed" "$scratch/err" && ok || fail "slow batch summary: $(cat "$scratch/err")"
titles=$(jobs_after "$since" 3 | cut -d' ' -f2 | tr '\n' ' ')
[ "$titles" = "TAVPrint_1 TAVPrint_2 TAVPrint_40 " ] && ok || fail "slow batch printed: $titles"

# 9. Text GBK cannot hold (an emoji from CSV UTF-8, a rare ideograph from a utf8mb4 column)
#    fails its row, naming the row, the column and the character, unless --replace-unprintable
#    prints '?' for it; either way the summary names the rows.
printf '名称,条码\n甲,A1\n乙\xF0\x9F\x98\x80,A2\n丙,A3\n' >"$scratch/emoji.csv"
"$tavprint" batch "$label" --csv "$scratch/emoji.csv" --output "$scratch/emoji.pdf" 2>"$scratch/err"
rc=$?
[ "$rc" -eq 1 ] && ok || fail "a row with an emoji: exit $rc"
grep -q "row 2: column 名称 holds 😀 (U+1F600), which GBK cannot hold" "$scratch/err" && ok \
    || fail "the emoji row is not named: $(cat "$scratch/err")"
grep -q "1 row holds characters GBK cannot hold (row 2)" "$scratch/err" && grep -q "2 printed, 1 failed" "$scratch/err" \
    && ok || fail "emoji summary: $(cat "$scratch/err")"
"$tavprint" batch "$label" --csv "$scratch/emoji.csv" --output "$scratch/emoji.pdf" --replace-unprintable 2>"$scratch/err" \
    && ok || fail "--replace-unprintable exited $?: $(cat "$scratch/err")"
grep -q "3 printed, 0 failed" "$scratch/err" && grep -q "(row 2); printed with '?'" "$scratch/err" \
    && ok || fail "--replace-unprintable summary: $(cat "$scratch/err")"
rare="select 1 as 序号, 'TAV00001' as 条码, convert(unhex('E794B2F0A08080') using utf8mb4) as 名称"
"$tavprint" batch "$label" --mysql "$mysql" --sql "$rare" --output "$scratch/rare.pdf" 2>"$scratch/err"
rc=$?
[ "$rc" -eq 1 ] && grep -q "row 1: column 名称 holds 𠀀 (U+20000)" "$scratch/err" && ok \
    || fail "a rare ideograph from MySQL: exit $rc: $(cat "$scratch/err")"

# 10. A scheduler that goes away mid-batch stops it: the row that met it is named, the summary
#     follows and the exit code is 3. A scheduler of this test's own (on a port of its own, its
#     queue writing to /dev/null) is stopped after the first job; the shared one is left alone.
own=$scratch/cups port=$((20000 + RANDOM % 20000))
mkdir -p "$own"/{state,cache,spool/tmp,log,tmp}
chmod 0755 "$scratch"; chmod -R 0777 "$own"
printf 'Listen 127.0.0.1:%s\nLogLevel warn\nBrowsing No\nWebInterface No\nDefaultAuthType None\n<Location />\n  Order allow,deny\n  Allow all\n</Location>\n<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n' \
    "$port" >"$own/cupsd.conf"
printf 'ServerRoot %s\nStateDir %s/state\nCacheDir %s/cache\nRequestRoot %s/spool\nTempDir %s/tmp\nErrorLog %s/log/error_log\nAccessLog %s/log/access_log\nPageLog %s/log/page_log\nFileDevice Yes\n' \
    "$own" "$own" "$own" "$own" "$own" "$own" "$own" "$own" >"$own/cups-files.conf"
setsid /usr/sbin/cupsd -f -c "$own/cupsd.conf" -s "$own/cups-files.conf" </dev/null >"$own/log/out" 2>&1 &
own_cupsd=$!
trap 'kill "$own_cupsd" 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 1 40); do CUPS_SERVER=127.0.0.1:$port lpstat -r 2>/dev/null | grep -q "is running" && break; sleep 0.25; done
CUPS_SERVER=127.0.0.1:$port lpadmin -p GONE -E -v file:///dev/null 2>"$scratch/err" || fail "own scheduler: $(cat "$scratch/err" "$own/log/out")"
printf '名称,条码\n甲,A1\n乙,A2\n丙,A3\n丁,A4\n戊,A5\n' >"$scratch/gone.csv"
(sleep 1; kill "$own_cupsd") &
CUPS_SERVER=127.0.0.1:$port "$tavprint" batch "$label" --csv "$scratch/gone.csv" --printer GONE --delay-ms 1500 2>"$scratch/err"
rc=$?
wait
[ "$rc" -eq 3 ] && ok || fail "the scheduler gone mid-batch: exit $rc: $(cat "$scratch/err")"
[ "$(grep -c '^tavprint batch: row' "$scratch/err")" -eq 1 ] && grep -q "1 printed, 1 failed, stopped" "$scratch/err" \
    && ok || fail "the scheduler gone mid-batch: $(cat "$scratch/err")"

# 11. The password need not be on the command line: TAV_DB_PASSWORD gives it, for the MySQL
#    client and ODBC alike; one written in the connection string works but is warned about.
nopwd="SERVER=127.0.0.1;PORT=${TAV_MYSQL_PORT:-3306};UID=${TAV_MYSQL_USER:-tav};DATABASE=${TAV_MYSQL_DATABASE:-tavtest}"
for via in mysql odbc; do
    conn=$nopwd; [ "$via" = odbc ] && conn="DRIVER={${TAV_ODBC_DRIVER:-MariaDB Unicode}};$nopwd;CHARSET=gbk"
    TAV_DB_PASSWORD=${TAV_MYSQL_PASSWORD:-tav-pw-4711} XDG_CONFIG_HOME=$scratch/none \
        "$tavprint" batch "$label" --"$via" "$conn" --sql "$query" --rows 1-2 --output "$scratch/env-$via.pdf" \
        </dev/null 2>"$scratch/err" && ok || fail "$via with TAV_DB_PASSWORD exited $?: $(cat "$scratch/err")"
    grep -q "2 printed, 0 failed" "$scratch/err" && ok || fail "$via with TAV_DB_PASSWORD: $(cat "$scratch/err")"
    grep -q "warning" "$scratch/err" && fail "$via: a warning without a password on the command line" || ok
done
"$tavprint" batch "$label" --mysql "$mysql" --sql "$query" --rows 1 --output "$scratch/typed.pdf" 2>"$scratch/err"
grep -q "warning: the password in the connection string" "$scratch/err" && ok ||
    fail "no warning for a password in the connection string: $(cat "$scratch/err")"
grep -q "tav-pw-4711" "$scratch/err" && fail "the password was printed" || ok

# 12. On a terminal (script(1) gives it one) the password is asked for and not echoed.
if command -v script >/dev/null; then
    cmd=$(printf '%q ' "$tavprint" batch "$label" --mysql "$nopwd" --sql "$query" --rows 1-2 --output "$scratch/tty.pdf")
    (sleep 1; printf '%s\n' "${TAV_MYSQL_PASSWORD:-tav-pw-4711}") |
        XDG_CONFIG_HOME=$scratch/none timeout 60 script -qec "$cmd" /dev/null >"$scratch/tty.log" 2>&1
    grep -q "^Password for" "$scratch/tty.log" && ok || fail "no password prompt: $(cat -v "$scratch/tty.log")"
    grep -q "2 printed, 0 failed" "$scratch/tty.log" && ok || fail "batch after the prompt: $(cat -v "$scratch/tty.log")"
    grep -q "${TAV_MYSQL_PASSWORD:-tav-pw-4711}" "$scratch/tty.log" && fail "the typed password was echoed" || ok
fi

finish
