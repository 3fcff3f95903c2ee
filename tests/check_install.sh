#!/usr/bin/env bash
# Installs the build as a user would and checks the result: the installed files against
# the list below, what links GNU readline (nothing may), and that the installed console
# finds the installed libraries and module by itself and runs the demo.
#   check_install.sh tree|package BUILD SOURCE LIBDIR SYSTEM VERSION
# tree: `cmake --install BUILD --prefix` a scratch folder; package: the .deb that cpack
# makes, unpacked with dpkg -x. LIBDIR is the configured CMAKE_INSTALL_LIBDIR.
set -euo pipefail
if [[ $# -ne 6 ]]; then
  echo "usage: $0 tree|package BUILD SOURCE LIBDIR SYSTEM VERSION" >&2
  exit 2
fi
mode=$1 build=$2 source=$3 libdir=$4 system=$5 version=$6
skip() { echo "skipped: $*"; exit 77; }
[[ $system == Linux ]] || skip "the file list and the run are written for the Linux layout"
scratch=$(realpath "$(mktemp -d)")
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

prefix=
if [[ $mode == tree ]]; then
  cmake --install "$build" --prefix "$scratch/root" > /dev/null
else
  command -v dpkg-deb > /dev/null || skip "no dpkg-deb to unpack the package"
  cpack --config "$build/CPackConfig.cmake" -B "$scratch/package" > "$scratch/cpack.log" ||
    { cat "$scratch/cpack.log"; fail "cpack"; }
  deb=$(echo "$scratch"/package/kestrum_"$version"_*.deb)
  [[ -f $deb ]] || fail "no kestrum_${version}_ARCH.deb: $(ls "$scratch/package")"
  dpkg-deb -x "$deb" "$scratch/root"
  depends=$(dpkg-deb -f "$deb" Depends)
  for needed in libc6 libedit2 libcairo2 fonts-dejavu-core; do
    [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
  done
  prefix=usr/
fi
root=$scratch/root/$prefix

doc=share/doc/kestrum
diff -u <(printf "$prefix%s\n" bin/kestrum-host "$libdir"/kestrum/{kestrum.so,libkestrum-hostsim.so,libkestrum-cudart-sim.so} \
            $doc/{README.md,LICENSE,docs/{console.md,panel.png,timeline.png,timeline-no-module.png}} \
            $doc/examples/{demo.session,demo.expected,demo-timeline.csv} | sort) \
        <(cd "$scratch/root" && find . -type f -o -type l | sed 's|^\./||' | sort) || fail "installed files"

for file in "$root"bin/kestrum-host "$root$libdir"/kestrum/*.so; do
  if readelf -d "$file" | grep -q 'NEEDED.*libreadline'; then fail "$file links GNU readline"; fi
done
linked=$(ldd "$root"bin/kestrum-host)
[[ $linked != *readline* ]] || fail "GNU readline comes in: $linked"
host_model=$(awk '/libkestrum-hostsim/ { print $3 }' <<< "$linked")
[[ $(realpath "$host_model") == "$root$libdir/kestrum/libkestrum-hostsim.so" ]] || fail "host model: $linked"

diff -u <(printf '%s\n' "kestrum-host $version" "module: $root$libdir/kestrum/kestrum.so" \
             "Register: Memory Manager" "Version: 1.0 Rev-11  (Aug 19 2020)") \
        <("$root"bin/kestrum-host --version) || fail "--version"
mkdir "$scratch/pictures"
cd "$scratch"
status=0
"$root"bin/kestrum-host --png-dir pictures > demo.out || status=$?
diff -u "$source/examples/demo.expected" demo.out || fail "the installed demo's output"
[[ $status == 0 ]] || fail "the installed demo's exit status $status"
echo "ok: $mode"
