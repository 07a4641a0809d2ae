#!/usr/bin/env bash
# Installs the build into a temporary prefix; the installed host must find the installed
# plug-in by itself, and a separate project must build against it with CMake and with pkg-config.
# usage: install_test.sh BUILD_DIR CONSUMER_SOURCE_DIR LIBDIR [TOOLCHAIN_FILE CXX EMULATOR...]
# A cross build gives its toolchain file, its compiler and the emulator that runs its programs.
set -euo pipefail
build=$1 consumer=$2 libdir=$3
toolchain=${4:-} cxx=${5:-c++}
emulator=("${@:6}")
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

expect "installed host" 'X = "1.41421356"' "$("${emulator[@]}" "$prefix/bin/extpred-host" 'sqrt("2", X)')"

find=(-DCMAKE_PREFIX_PATH="$prefix")
if [ -n "$toolchain" ]; then
  # A cross build looks for packages only under the target's root: name the package's folder.
  find=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -Dmath_R_DIR="$prefix/$libdir/cmake/math_R")
fi
cmake -S "$consumer" -B "$work/cmake-build" "${find[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/cmake-build" >/dev/null
expect "CMake consumer" '"3.75000000"' "$("${emulator[@]}" "$work/cmake-build/consumer")"

export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
# shellcheck disable=SC2046 # the flags are meant to split
"$cxx" -std=c++17 -o "$work/pkg-consumer" "$consumer/main.cpp" $(pkg-config --cflags --libs math_R)
expect "pkg-config consumer" '"3.75000000"' \
  "$(LD_LIBRARY_PATH="$prefix/$libdir" "${emulator[@]}" "$work/pkg-consumer")"
echo "installed, found and used from $prefix"
