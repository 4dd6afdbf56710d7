#!/usr/bin/env bash
# Checks that a shared library exports exactly the functions its public header declares
# (every `TAV_API ... TAV_CALL Name(` there) and nothing else: no helper of the static core, no
# C++ symbol and no symbol of a library linked into it leaks out, and no documented function
# is missing.
#   exports_test.sh LIBRARY.so HEADER.h [sanitized]
# In a sanitized build the symbols the sanitizer instrumentation adds are not counted.
#   exports_test.sh --cxx LIBRARY.so HEADER.h [sanitized] NAME...
# does the same for an internal C++ library: it exports exactly the functions NAME... (qualified,
# without parameters), each of which HEADER declares.
#   exports_test.sh --every LIBDIR NAME...
# checks that the shared libraries in LIBDIR are exactly NAME... (those the build checks).
set -euo pipefail

# The defined dynamic symbols of $1, one a line; C++ names demangled without parameters when $2
# is "demangle". Sanitizer additions are left out when $3 is 1.
exports_of() {
    local names
    if [ "$2" = demangle ]; then
        names=$(nm -D --defined-only -C "$1" | sed -E 's/^[0-9a-f]+ [A-Za-z] //; s/\(.*//')
    else
        names=$(nm -D --defined-only "$1" | awk 'NF >= 3 { print $3 }' | sed 's/@.*//')
    fi
    if [ "$3" = 1 ]; then
        names=$(grep -vE '^__(asan|odr_asan|ubsan|sanitizer|sancov|lsan|start_|stop_)' <<<"$names" || true)
    fi
    sort -u <<<"$names"
}

# Compares what $1 exports ($2) with what $3 documents ($4); prints the differences.
compare() {
    local library=$1 exported=$2 header=$3 documented=$4 status=0
    local extra missing
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
    [ "$status" = 0 ] &&
        echo "ok: $(basename "$library") exports the $(wc -l <<<"$documented") functions of $(basename "$header")"
    return "$status"
}

if [ "$1" = --cxx ]; then
    library=$2 header=$3 sanitized=$4
    shift 4
    for name in "$@"; do
        if ! grep -qE "[^A-Za-z0-9_]${name##*::}\(" "$header"; then
            echo "FAIL: $(basename "$header") declares no ${name##*::}" >&2
            exit 1
        fi
    done
    compare "$library" "$(exports_of "$library" demangle "$sanitized")" "$header" \
        "$(printf '%s\n' "$@" | sort -u)"
    exit
fi
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

compare "$library" "$(exports_of "$library" plain "$sanitized")" "$header" "$documented"
