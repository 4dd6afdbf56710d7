#!/usr/bin/env bash
# Runs a program on an X server of its own: Xvfb picks a free display number itself and
# reports it (-displayfd), so that test programs started side by side never race for one.
# usage: run_under_xvfb.sh PROGRAM [ARGS...]
set -u
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb=$!
# The number arrives once the server takes connections; a loaded machine may take a while.
for _ in $(seq 1 600); do
    [ -s "$scratch/display" ] && break
    if ! kill -0 "$xvfb" 2>/dev/null; then
        echo "FAIL: Xvfb did not start" >&2
        cat "$scratch/xvfb.log" >&2
        exit 1
    fi
    sleep 0.1
done
display=$(tr -d '[:space:]' <"$scratch/display")
if [ -z "$display" ]; then
    echo "FAIL: Xvfb gave no display number within 60 s" >&2
    kill "$xvfb"
    exit 1
fi

DISPLAY=":$display" "$@"
status=$?
kill "$xvfb"
wait "$xvfb" 2>/dev/null
exit "$status"
