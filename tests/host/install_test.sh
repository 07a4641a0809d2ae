#!/usr/bin/env bash
# Installs the build into a temporary prefix; the installed host must find the installed
# plug-in by itself, and a separate project must build against it with CMake and with pkg-config.
# usage: install_test.sh BUILD_DIR CONSUMER_SOURCE_DIR LIBDIR
set -euo pipefail
build=$1 consumer=$2 libdir=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

expect() { # expect WHAT EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    echo "$1: expected [$2], got [$3]" >&2
    exit 1
  fi
}

cmake --install "$build" --prefix "$prefix" >/dev/null

expect "installed host" 'X = "1.41421356"' "$("$prefix/bin/extpred-host" 'sqrt("2", X)')"

cmake -S "$consumer" -B "$work/cmake-build" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/cmake-build" >/dev/null
expect "CMake consumer" '"3.75000000"' "$("$work/cmake-build/consumer")"

export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
# shellcheck disable=SC2046 # the flags are meant to split
c++ -std=c++17 -o "$work/pkg-consumer" "$consumer/main.cpp" $(pkg-config --cflags --libs math_R)
expect "pkg-config consumer" '"3.75000000"' "$(LD_LIBRARY_PATH="$prefix/$libdir" "$work/pkg-consumer")"
echo "installed, found and used from $prefix"
