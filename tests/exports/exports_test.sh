#!/usr/bin/env bash
# Checks that a shared library exports exactly the functions its public header declares
# (every `TAV_API ... TAV_CALL Name(` there) and nothing else: no helper of the static core, no
# C++ symbol and no symbol of a library linked into it leaks out, and no documented function
# is missing.
#   exports_test.sh LIBRARY.so HEADER.h [sanitized]
# In a sanitized build the symbols the sanitizer instrumentation adds are not counted.
#   exports_test.sh --every LIBDIR NAME...
# checks that the shared libraries in LIBDIR are exactly NAME... (those the build checks).
set -euo pipefail
if [ "$1" = --every ]; then
    libdir=$2
    shift 2
    built=$(cd "$libdir" && ls lib*.so | sed -E 's/^lib(.*)\.so$/\1/' | sort)
    checked=$(printf '%s\n' "$@" | sort)
    if [ "$built" != "$checked" ]; then
        echo "FAIL: shared libraries in $libdir: $(echo $built); with a checked header: $(echo $checked)" >&2
        exit 1
    fi
    echo "ok: every shared library has its exports checked: $(echo $built)"
    exit 0
fi
library=$1
header=$2
sanitized=${3:-0}

documented=$(grep -oE 'TAV_API[^;(]*TAV_CALL[[:space:]]+[A-Za-z_][A-Za-z0-9_]*[[:space:]]*\(' "$header" |
    sed -E 's/.*TAV_CALL[[:space:]]+([A-Za-z_][A-Za-z0-9_]*).*/\1/' | sort -u)
if [ -z "$documented" ]; then
    echo "FAIL: $header declares no TAV_API function" >&2
    exit 1
fi

exported=$(nm -D --defined-only "$library" | awk 'NF >= 3 { print $3 }' | sed 's/@.*//' | sort -u)
if [ "$sanitized" = 1 ]; then
    exported=$(grep -vE '^__(asan|odr_asan|ubsan|sanitizer|sancov|lsan|start_|stop_)' <<<"$exported" || true)
fi

status=0
extra=$(comm -13 <(echo "$documented") <(echo "$exported"))
missing=$(comm -23 <(echo "$documented") <(echo "$exported"))
if [ -n "$extra" ]; then
    echo "FAIL: $(basename "$library") exports what $(basename "$header") does not declare:" >&2
    sed 's/^/    /' <<<"$extra" >&2
    status=1
fi
if [ -n "$missing" ]; then
    echo "FAIL: $(basename "$library") does not export what $(basename "$header") declares:" >&2
    sed 's/^/    /' <<<"$missing" >&2
    status=1
fi
[ "$status" = 0 ] && echo "ok: $(basename "$library") exports the $(wc -l <<<"$documented") functions of $(basename "$header")"
exit "$status"
