# Shared by the end-to-end test scripts (sourced): a scratch folder removed on exit, counting
# checks, starting the test services, and the closing "N passed, N failed" line.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
passed=0 failed=0
ok() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*" >&2; }

# Starts CUPS and MariaDB through scripts/services and sets the TAV_* variables it prints.
# A test that needs them fails (it does not skip) when they cannot be started.
start_services() { # SOURCE_DIR
    local report
    if ! report=$("$1/scripts/services" 2>&1); then
        echo "the test services could not be started:" >&2
        echo "$report" >&2
        echo "0 passed, 1 failed"
        exit 1
    fi
    eval "$(grep -E '^TAV_[A-Z_]+=' <<<"$report")"
}

finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
