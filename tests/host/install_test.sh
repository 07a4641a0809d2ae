#!/usr/bin/env bash
# Installs the build into a temporary prefix, either with `cmake --install` or by unpacking the
# Debian packages that `make package` builds (which must hold nothing outside /usr); then the
# installed host must find the installed plug-in by itself, and a separate project must build
# against it with CMake (a host that links the plug-in, one that loads it) and with pkg-config.
# usage: install_test.sh install|package BUILD_DIR CONSUMER_SOURCE_DIR LIBDIR [TOOLCHAIN_FILE CXX EMULATOR...]
# A cross build gives its toolchain file, its compiler and the emulator that runs its programs.
set -euo pipefail
how=$1 build=$2 consumer=$3 libdir=$4
toolchain=${5:-} cxx=${6:-c++}
emulator=("${@:7}")
source=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

expect() { # expect WHAT EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    echo "$1: expected [$2], got [$3]" >&2
    exit 1
  fi
}

# Each check below runs against a prefix that holds only what it needs: after an install, all of
# it; from the packages, the package tried and the packages of this build that it depends on, as
# apt would install them, so that a file in the wrong package or a missing dependency fails.
if [ "$how" = install ]; then
  cmake --install "$build" --prefix "$prefix" >/dev/null
  expect "lintian's overrides, which only the packages carry" "no" "$([ -e "$prefix/share/lintian" ] && echo yes || echo no)"
  host_prefix=$prefix dev_prefix=$prefix bridge_prefix=$prefix python_prefix=$prefix
else
  packages=$work/package
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$packages" >/dev/null
  debOf() { echo "$packages/$1"_*.deb; } # debOf NAME: this build's package NAME
  # ourDepends DEB: the packages of this build that DEB depends on, as name(=version), sorted.
  ourDepends() {
    local dependency
    dpkg-deb -f "$1" Depends | tr ',' '\n' | while read -r dependency; do
      if [ -e "$(debOf "${dependency%% *}")" ]; then tr -d ' ' <<<"$dependency"; fi
    done | sort | paste -sd' '
  }
  # unpack ROOT NAME: the package NAME, and the packages of this build that it depends on.
  unpack() {
    local dependency
    dpkg-deb -x "$(debOf "$2")" "$1"
    for dependency in $(ourDepends "$(debOf "$2")"); do
      unpack "$1" "${dependency%%(*}"
    done
  }
  contents=$(for deb in "$packages"/*.deb; do dpkg-deb -c "$deb"; done)
  expect "files outside /usr" "" "$(awk '{print $6}' <<<"$contents" | grep -v -e '^\./usr/' -e '^\./$' || true)"
  expect "files in two packages, which dpkg would not install together" "" \
    "$(awk '$1 !~ /^d/ {print $6}' <<<"$contents" | sort | uniq -d)"
  # Each package (the bridge's where it is built): the packages of this build that it depends
  # on, each at this very version; whether it depends on libedit2, for the host's line editing;
  # and whether on the C and C++ runtimes, each with the least version its binaries need. All
  # are the target's own packages, never a cross toolchain's.
  version=$(dpkg-deb -f "$(debOf math-r)" Version)
  libedit=-
  if readelf -d "$build/extpred-host" | grep -q 'NEEDED.*libedit'; then
    libedit=libedit2
  fi
  while read -r name ours edit runtimes; do
    deb=$(debOf "$name")
    if [ ! -e "$deb" ] && [[ "$name" == swi-prolog-math-r || "$name" == python3-math-r ]]; then
      continue
    fi
    expect "package $name" "built" "$([ -e "$deb" ] && echo built)"
    [ "$ours" != - ] || ours=""
    depends=$(dpkg-deb -f "$deb" Depends)
    expect "$name's dependencies on this build's packages" "$ours" "$(ourDepends "$deb")"
    expect "libedit2 among $name's dependencies [$depends]" "$edit" \
      "$([[ ", $depends" == *", libedit2 "* ]] && echo libedit2 || echo -)"
    for runtime in libc6 libstdc++6 libgcc-s1; do
      expect "$runtime with a version among $name's dependencies [$depends]" "$runtimes" \
        "$([[ ", $depends" == *", $runtime (>= "* ]] && echo yes || echo -)"
    done
    expect "a cross toolchain's package among $name's dependencies" "" "$(grep -o '[^ ,]*-cross' <<<"$depends" || true)"
  done <<TABLE
math-r            -                  -        yes
math-r-dev        math-r(=$version)  -        -
extpred-host      math-r(=$version)  $libedit yes
swi-prolog-math-r math-r(=$version)  -        yes
python3-math-r    math-r(=$version)  -        yes
TABLE
  unpack "$work/host" extpred-host
  unpack "$work/dev" math-r-dev
  host_prefix=$work/host/usr dev_prefix=$work/dev/usr bridge_prefix=$work/bridge/usr python_prefix=$work/python/usr
  if [ -e "$(debOf swi-prolog-math-r)" ]; then
    unpack "$work/bridge" swi-prolog-math-r
  fi
  if [ -e "$(debOf python3-math-r)" ]; then
    unpack "$work/python" python3-math-r
  fi
fi

expect "installed host" 'X = "1.41421356"' "$("${emulator[@]}" "$host_prefix/bin/extpred-host" 'sqrt("2", X)')"
# The installed (for the package, stripped) host and plug-in answer the installed tour as the
# built ones answer the sources'.
tour=$source/examples/tour.calls
expect "installed host on the installed tour" "$("${emulator[@]}" "$build/extpred-host" -f "$tour")" \
  "$("${emulator[@]}" "$host_prefix/bin/extpred-host" -f "$host_prefix/share/doc/extpred-host/examples/tour.calls")"

# The installed bridge finds the installed plug-in by itself.
if [ -d "$bridge_prefix/lib/swi-prolog" ]; then
  swipl=(swipl --on-error=status -p library="$bridge_prefix/lib/swi-prolog/library"
         -p foreign="$(echo "$bridge_prefix"/lib/swi-prolog/lib/*)")
  expect "library(math_r), installed" "3.00000000" \
    "$("${swipl[@]}" -g 'use_module(library(math_r)), addR("1", "2", X), writeln(X)' -t halt)"
  # The guide's examples of it, as written: its rule program (the page's first prolog
  # block) and the goals of guide_prolog_examples.pl, in a folder where build/ is this build, as
  # the guide's comparison of two builds has it; and the installed example programs.
  readme=$work/readme
  mkdir "$readme"
  ln -s "$(cd "$build" && pwd)" "$readme/build"
  awk '/^```prolog$/ {block = 1; next} block && /^```$/ {exit} block' \
    "$source/docs/swi-prolog.md" >"$readme/route.pl"
  if ! output=$(cd "$readme" && "${swipl[@]}" -g check -t halt "$source/tests/host/guide_prolog_examples.pl" route.pl 2>&1); then
    echo "the examples of docs/swi-prolog.md, installed:"$'\n'"$output" >&2
    exit 1
  fi
  for example in shortest_route invoice; do
    expect "the installed example $example.pl" "$(cat "$source/examples/$example.expected")" \
      "$("${swipl[@]}" "$bridge_prefix/share/doc/swi-prolog-math-r/examples/$example.pl")"
  done
fi

# The installed Python module is named for the target's python3 (the triplet of its libdir, not
# the build machine's), depends on a python3 of that ABI, and finds the installed plug-in by
# itself, from any folder (a cross build's under the build's own python3 of the target, through
# the emulator); so does the clingo program installed beside it, where clingo can load the module.
modules=$python_prefix/lib/python3/dist-packages
if [ -d "$modules/math_r" ]; then
  extension=$(cd "$modules/math_r" && echo _math_r*)
  expect "the extension's name [$extension], for the target's python3" yes \
    "$([[ $extension == _math_r.cpython-3*-"${libdir##*/}".so ]] && echo yes || echo no)"
  if [ "$how" = package ]; then # cpython-311 is 3.11
    minor=${extension#_math_r.cpython-3} minor=${minor%%-*}
    expect "python3-math-r's dependency on its python3" "python3 (>= 3.$minor~), python3 (<< 3.$((minor + 1)))" \
      "$(dpkg-deb -f "$(debOf python3-math-r)" Depends | grep -o 'python3 ([^)]*)' | paste -sd '#' | sed 's/#/, /')"
  fi
  python3=(/usr/bin/python3)
  [ ${#emulator[@]} -eq 0 ] || python3=("${emulator[@]}" "$build/python/target_python3")
  expect "import math_r, installed" "3.00000000" \
    "$(cd / && PYTHONPATH=$modules "${python3[@]}" -c 'import math_r; print(math_r.addR("1", "2"))')"
  if [ ${#emulator[@]} -eq 0 ] && command -v clingo >/dev/null; then
    example=$source/examples/bill_of_materials
    expect "the installed clingo example" "$(cat "$example.expected")" \
      "$(cd / && PYTHONPATH=$modules clingo -V0 "$python_prefix/share/doc/python3-math-r/examples/bill_of_materials.lp" |
         { read -r model; tr ' ' '\n' <<<"$model" | sort; cat; })"
  fi
fi

# The manual pages render without a warning, as man would show them: the host's, and the
# reference that comes with the plug-in.
pages=("$host_prefix"/share/man/man*/*.gz)
expect "manual pages" "extpred-host.1.gz math_R.7.gz" "$(basename -a "${pages[@]}" | sort | paste -sd' ')"
for page in "${pages[@]}"; do
  expect "groff's warnings on $page" "" "$(zcat "$page" | groff -k -ww -z -man 2>&1)"
done

# A host author's build, from the development files and what they depend on alone.
prefix=$dev_prefix
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
# The development link: -lmath_R finds the plug-in as the linker finds any library.
# shellcheck disable=SC2046
"$cxx" -std=c++17 -o "$work/l-consumer" "$consumer/main.cpp" $("${pkg_config[@]}" --cflags math_R) -L"$prefix/$libdir" -lmath_R
expect "consumer linked with -lmath_R" '"3.75000000" 2.68' \
  "$(LD_LIBRARY_PATH="$prefix/$libdir" "${emulator[@]}" "$work/l-consumer")"
echo "installed ($how), found and used from $prefix"
