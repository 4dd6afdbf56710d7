#!/usr/bin/env bash
# Installs the build into a scratch prefix and builds an outside program against it, once with
# the CMake package and once with pkg-config, then runs both on a shipped example.
# usage: install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1 src=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
example=$src/examples/shipping-label.tav
expected=$("$build/bin/tavprint" info "$example" | grep -c '"kind"')

cmake -S "$src/tests/install/consumer" -B "$scratch/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$scratch/cmake" >/dev/null
got=$("$scratch/cmake/consumer" "$example" || true)
[ "$got" = "$expected" ] || { echo "CMake consumer printed '$got', expected $expected" >&2; exit 1; }

libdir=$(ls -d "$prefix"/lib*/pkgconfig | head -n 1)
export PKG_CONFIG_PATH=$libdir
cc -o "$scratch/pc-consumer" "$src/tests/install/consumer/consumer.c" $(pkg-config --cflags --libs tav) \
    -Wl,-rpath,"$(pkg-config --variable=libdir tav)"
got=$("$scratch/pc-consumer" "$example" || true)
[ "$got" = "$expected" ] || { echo "pkg-config consumer printed '$got', expected $expected" >&2; exit 1; }
# The installed tavprint finds its libraries through its relative run path.
"$prefix/bin/tavprint" info "$example" >/dev/null
echo "2 passed, 0 failed"
