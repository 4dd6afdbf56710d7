# Sourced by the scripts that need the Debian mirrors this machine's apt already uses.

# The deb lines of apt's own sources for this release's main component, as deb-src lines: one
# "deb-src [signed-by=KEYRING] URI SUITE main" a source, from the one-line and the deb822
# files alike, so that source packages come from the mirror this machine already uses.
deb_src_lines() {
    local release=$1 files=()
    [ -f /etc/apt/sources.list ] && files+=(/etc/apt/sources.list)
    for f in /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && files+=("$f")
    done
    ((${#files[@]})) || return 0
    awk -v release="$release" '
        function has(list, word,   n, i, parts) {
            n = split(list, parts, /[ \t]+/)
            for (i = 1; i <= n; i++) if (parts[i] == word) return 1
            return 0
        }
        function stanza(   n, i, uris) {
            if (has(types, "deb") && has(suites, release) && has(comps, "main") && enabled != "no") {
                n = split(uri, uris, /[ \t]+/)
                for (i = 1; i <= n; i++)
                    if (uris[i] != "")
                        print "deb-src " (key != "" ? "[signed-by=" key "] " : "") uris[i] " " release " main"
            }
            types = suites = comps = uri = key = enabled = ""
        }
        FNR == 1 { stanza() }
        FILENAME ~ /\.sources$/ {
            if ($0 ~ /^[ \t]*$/) { stanza(); next }
            if ($0 ~ /^#/) next
            field = tolower($1); value = $0; sub(/^[^:]*:[ \t]*/, "", value)
            if (field == "types:") types = value
            else if (field == "uris:") uri = value
            else if (field == "suites:") suites = value
            else if (field == "components:") comps = value
            else if (field == "signed-by:") key = value
            else if (field == "enabled:") enabled = tolower(value)
            next
        }
        $1 == "deb" {
            line = $0; sub(/^deb[ \t]+/, "", line); opts = ""
            if (line ~ /^\[/) { opts = line; sub(/\].*/, "]", opts); sub(/^\[[^]]*\][ \t]*/, "", line) }
            n = split(line, w, /[ \t]+/)
            if (n >= 3 && w[2] == release) {
                for (i = 3; i <= n; i++) if (w[i] == "main") {
                    print "deb-src " (opts != "" ? opts " " : "") w[1] " " release " main"; break
                }
            }
        }
        END { stanza() }
    ' "${files[@]}" | sort -u
}

# Makes BASE a clean root of RELEASE (debootstrap --variant=minbase) from the mirror apt already
# uses, unless it is one already; debootstrap's output goes to LOG.
ensure_base_root() {
    local base=$1 release=$2 log=$3 line mirror keyring
    [ -x "$base/usr/bin/apt-get" ] && return 0
    line=$(deb_src_lines "$release" | head -n 1)
    if [ -z "$line" ]; then
        echo "apt has no deb source for $release main to bootstrap from" >&2
        return 1
    fi
    mirror=$(awk '{ print $(NF - 2) }' <<<"$line")
    keyring=$(sed -n 's/.*\[signed-by=\([^] ]*\)\].*/\1/p' <<<"$line")
    echo "   debootstrap --variant=minbase $release from $mirror"
    rm -rf "$base.new"
    mkdir -p "$(dirname "$base")"
    if ! debootstrap --variant=minbase ${keyring:+--keyring="$keyring"} "$release" "$base.new" \
        "$mirror" >"$log" 2>&1; then
        tail -n 20 "$log" >&2
        echo "debootstrap failed" >&2
        return 1
    fi
    mv "$base.new" "$base"
}
