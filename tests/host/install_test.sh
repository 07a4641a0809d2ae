#!/usr/bin/env bash
# Installs the build into a temporary prefix, either with `cmake --install` or by unpacking the
# Debian package that `make package` builds (which must hold nothing outside /usr); then the
# installed host must find the installed plug-in by itself, and a separate project must build
# against it with CMake (a host that links the plug-in, one that loads it) and with pkg-config.
# usage: install_test.sh install|package BUILD_DIR CONSUMER_SOURCE_DIR LIBDIR [TOOLCHAIN_FILE CXX EMULATOR...]
# A cross build gives its toolchain file, its compiler and the emulator that runs its programs.
set -euo pipefail
how=$1 build=$2 consumer=$3 libdir=$4
toolchain=${5:-} cxx=${6:-c++}
emulator=("${@:7}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

expect() { # expect WHAT EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    echo "$1: expected [$2], got [$3]" >&2
    exit 1
  fi
}

if [ "$how" = install ]; then
  cmake --install "$build" --prefix "$prefix" >/dev/null
  expect "lintian's overrides, which only the package carries" "no" "$([ -e "$prefix/share/lintian" ] && echo yes || echo no)"
else
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null
  package=$(echo "$work"/package/math-r_*.deb)
  outside=$(dpkg-deb -c "$package" | awk '{print $NF}' | grep -v -e '^\./usr/' -e '^\./$' || true)
  expect "files outside /usr in $(basename "$package")" "" "$outside"
  # The package must depend on what the host is linked with beyond the C and C++ runtimes, each
  # with the least version its binaries need, and on the target's own packages, not on those of
  # a cross toolchain.
  depends=$(dpkg-deb -f "$package" Depends)
  if readelf -d "$build/extpred-host" | grep -q 'NEEDED.*libedit'; then
    expect "libedit2 among the dependencies" "yes" "$(grep -q libedit2 <<<"$depends" && echo yes)"
  fi
  for runtime in libc6 libstdc++6 libgcc-s1; do
    expect "$runtime with a version among the dependencies [$depends]" "yes" \
      "$([[ ", $depends" == *", $runtime (>= "* ]] && echo yes)"
  done
  expect "no cross toolchain's package among the dependencies" "" "$(grep -o '[^ ,]*-cross' <<<"$depends" || true)"
  dpkg-deb -x "$package" "$work/root"
  # The SWI-Prolog bridge's package, where it is built, needs this very plug-in.
  bridge=$(echo "$work"/package/swi-prolog-math-r_*.deb)
  if [ -e "$bridge" ]; then
    expect "the bridge's dependency on math-r" "yes" "$([[ "$(dpkg-deb -f "$bridge" Depends)" == "math-r (= "* ]] && echo yes)"
    dpkg-deb -x "$bridge" "$work/root"
  fi
  prefix=$work/root/usr
fi

expect "installed host" 'X = "1.41421356"' "$("${emulator[@]}" "$prefix/bin/extpred-host" 'sqrt("2", X)')"
# The installed (for the package, stripped) host and plug-in answer the installed tour as the
# built ones answer the sources'.
tour=$(dirname "$0")/../../examples/tour.calls
expect "installed host on the installed tour" "$("${emulator[@]}" "$build/extpred-host" -f "$tour")" \
  "$("${emulator[@]}" "$prefix/bin/extpred-host" -f "$prefix/share/doc/math-r/examples/tour.calls")"

# The installed bridge finds the installed plug-in by itself.
if [ -d "$prefix/lib/swi-prolog" ]; then
  expect "library(math_r), installed" "3.00000000" "$(swipl -p library="$prefix/lib/swi-prolog/library" \
    -p foreign="$(echo "$prefix"/lib/swi-prolog/lib/*)" -g 'use_module(library(math_r)), addR("1", "2", X), writeln(X)' -t halt)"
fi

# The manual pages render without a warning, as man would show them.
pages=("$prefix"/share/man/man*/*.gz)
expect "manual pages" "extpred-host.1.gz math_R.7.gz" "$(basename -a "${pages[@]}" | sort | paste -sd' ')"
for page in "${pages[@]}"; do
  expect "groff's warnings on $page" "" "$(zcat "$page" | groff -k -ww -z -man 2>&1)"
done

find=(-DCMAKE_PREFIX_PATH="$prefix")
if [ -n "$toolchain" ]; then
  # A cross build looks for packages only under the target's root: name the package's folder.
  find=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -Dmath_R_DIR="$prefix/$libdir/cmake/math_R")
fi
cmake -S "$consumer" -B "$work/cmake-build" "${find[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/cmake-build" >/dev/null
expect "CMake consumer, calling the plug-in linked" '"3.75000000" 2.68' "$("${emulator[@]}" "$work/cmake-build/consumer")"
expect "CMake consumer, loading the plug-in" '"1.41421356"' "$("${emulator[@]}" "$work/cmake-build/dlopen_host")"

export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
# The flags name the prefix plainly: the one installed into, /usr for the package, which is
# unpacked here elsewhere and so is told where it lies.
pkg_config=(pkg-config)
if [ "$how" = install ]; then
  expect "pkg-config --cflags" "-I$prefix/include/math_R" "$(pkg-config --cflags math_R | sed "s/ *$//")"
else
  expect "pkg-config --cflags" "-I/usr/include/math_R" "$(pkg-config --cflags math_R | sed "s/ *$//")"
  pkg_config+=(--define-variable=prefix="$prefix")
fi
# shellcheck disable=SC2046 # the flags are meant to split
"$cxx" -std=c++17 -o "$work/pkg-consumer" "$consumer/main.cpp" $("${pkg_config[@]}" --cflags --libs math_R)
expect "pkg-config consumer" '"3.75000000" 2.68' \
  "$(LD_LIBRARY_PATH="$prefix/$libdir" "${emulator[@]}" "$work/pkg-consumer")"
echo "installed ($how), found and used from $prefix"
