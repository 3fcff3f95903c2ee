#!/usr/bin/env bash
# Installs the build as a user would and checks the result: the installed files against
# the list below, what links GNU readline (nothing may), and that the installed console
# finds the installed libraries and module by itself and runs the demo.
#   check_install.sh tree|package BUILD SOURCE LIBDIR SYSTEM VERSION
# tree: `cmake --install BUILD --prefix` a scratch folder; package: what cpack makes (a
# .deb unpacked with dpkg -x on Linux, a .zip on Windows, whose console runs under Wine).
# LIBDIR is the configured CMAKE_INSTALL_LIBDIR.
set -euo pipefail
if [[ $# -ne 6 ]]; then
  echo "usage: $0 tree|package BUILD SOURCE LIBDIR SYSTEM VERSION" >&2
  exit 2
fi
mode=$1 build=$2 source=$3 libdir=$4 system=$5 version=$6
skip() { echo "skipped: $*"; exit 77; }
[[ $system == Linux || $system == Windows ]] || skip "no file list is written for $system"
scratch=$(realpath "$(mktemp -d "$build/install-check.XXXXXX")")
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

# The installed console, run as the system runs it (Windows programs under Wine, with
# the build's own Wine prefix); carriage returns dropped.
run() {
  if [[ $system == Windows ]]; then
    KESTRUM_WINE_BUILD=$build "$source/cmake/wine-run.sh" "$@" | tr -d '\r'
  else
    "$@"
  fi
}

prefix=
if [[ $mode == tree ]]; then
  cmake --install "$build" --prefix "$scratch/root" > /dev/null
else
  cpack --config "$build/CPackConfig.cmake" -B "$scratch/package" > "$scratch/cpack.log" ||
    { cat "$scratch/cpack.log"; fail "cpack"; }
  if [[ $system == Windows ]]; then
    command -v unzip > /dev/null || skip "no unzip to unpack the package"
    zip=$scratch/package/kestrum-$version-win32.zip
    [[ -f $zip ]] || fail "no kestrum-$version-win32.zip: $(ls "$scratch/package")"
    unzip -q "$zip" -d "$scratch/root"
    prefix=kestrum-$version-win32/
  else
    command -v dpkg-deb > /dev/null || skip "no dpkg-deb to unpack the package"
    deb=$(echo "$scratch"/package/kestrum_"$version"_*.deb)
    [[ -f $deb ]] || fail "no kestrum_${version}_ARCH.deb: $(ls "$scratch/package")"
    dpkg-deb -x "$deb" "$scratch/root"
    depends=$(dpkg-deb -f "$deb" Depends)
    for needed in libc6 libedit2 libcairo2 fonts-dejavu-core; do
      [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
    done
    prefix=usr/
  fi
fi
root=$scratch/root/$prefix

doc=share/doc/kestrum
# The simulated CUDA runtime is a test double. On Windows it bears the runtime's own
# name, so it lies in a folder of its own (stand_in_folder), which no search for a
# runtime looks in; on Linux it has a name of its own.
if [[ $system == Windows ]]; then
  stand_in_folder=bin/cudasim/
  programs=(bin/{kestrum-host.exe,kestrum.dll} "${stand_in_folder}cudart32_110.dll")
  module=bin/kestrum.dll
  own_libraries=("$module" bin/kestrum-host.exe)
else
  stand_in_folder=
  own_libraries=("$libdir"/kestrum/{kestrum.so,libkestrum-hostsim.so})
  programs=(bin/kestrum-host "${own_libraries[@]}" "$libdir"/kestrum/libkestrum-cudart-sim.so)
  module=$libdir/kestrum/kestrum.so
fi
diff -u <(printf "$prefix%s\n" "${programs[@]}" \
            $doc/{README.md,LICENSE,docs/{console.md,panel.png,panel-windows.png,panel-map.png,panel-map-no-gpu.png,timeline.png,timeline-no-module.png}} \
            $doc/examples/{demo.session,demo.expected,demo-timeline.csv} | sort) \
        <(cd "$scratch/root" && find . -type f -o -type l | sed 's|^\./||' | sort) || fail "installed files"

# No file but the stand-in bears a name under which the module looks for a CUDA runtime:
# the names are read from the installed module itself.
runtime_names=$(grep -aoE 'libcudart\.so[.0-9]*|cudart(32|64)_[0-9]+\.dll' "$root$module" | sort -u)
[[ -n $runtime_names ]] || fail "no CUDA runtime name found in $module"
while read -r file; do
  [[ -n $stand_in_folder && $file == "$prefix$stand_in_folder"* ]] && continue
  if grep -qxF "${file##*/}" <<< "$runtime_names"; then fail "$file bears a CUDA runtime's name"; fi
done < <(cd "$scratch/root" && find . -type f -o -type l | sed 's|^\./||')

if [[ $system == Linux ]]; then
  for file in "$root"bin/kestrum-host "$root$libdir"/kestrum/*.so; do
    if readelf -d "$file" | grep -q 'NEEDED.*libreadline'; then fail "$file links GNU readline"; fi
  done
  linked=$(ldd "$root"bin/kestrum-host)
  [[ $linked != *readline* ]] || fail "GNU readline comes in: $linked"
  host_model=$(awk '/libkestrum-hostsim/ { print $3 }' <<< "$linked")
  [[ $(realpath "$host_model") == "$root$libdir/kestrum/libkestrum-hostsim.so" ]] || fail "host model: $linked"
fi

console=$root${programs[0]}
# On Windows the module's path is a Windows path to the same file: only its name is compared.
diff -u <(printf '%s\n' "kestrum-host $version" "module: ${module##*/}" \
             "Register: Memory Manager" "Version: 1.0 Rev-11  (Aug 19 2020)") \
        <(run "$console" --version | sed -E '2s|^(module: ).*[/\\]|\1|') || fail "--version"
[[ $system == Windows ]] || [[ $(run "$console" --version | sed -n 2p) == "module: $root$module" ]] ||
  fail "--version names another module"
mkdir "$scratch/pictures"
cd "$scratch"
status=0
run "$console" --png-dir pictures > demo.out || status=$?
# What the install must give the demo (the demo's own output is the tests' to check): it
# runs to its end, the module finds the installed simulated GPU, the pictures are written.
[[ $status == 0 ]] || fail "the installed demo's exit status $status"
[[ $(tail -n 1 demo.out) == $(tail -n 1 "$source/examples/demo.expected") ]] || fail "the installed demo stopped early"
grep -q ' of GPU memory$' demo.out || fail "the installed demo found no GPU"
pictures=$(ls pictures | wc -l)
(( pictures >= 7 )) || fail "the installed demo wrote $pictures pictures"

# Asked for no simulated GPU, the installed console reports what the machine offers, and
# the loader's own record shows that no file of the package but the console's own
# libraries was loaded: nothing of ours stood in for the machine's CUDA runtime.
session=$'init\nget $MEMORY_CUDA_AVAILABLE\nexit\n'
if [[ $system == Windows ]]; then
  answer=$(KESTRUM_WINE_DEBUG=+loaddll run "$console" - <<< "$session" 2> loader.log)
  # Loaded L"Z:\\tmp\\...\\kestrum.dll" at ...: a Windows path, backslashes escaped.
  loaded=$(grep -o 'Loaded L"[^"]*"' loader.log | sed -E 's/^Loaded L"//; s/"$//; s/\\\\/\//g; s/^[A-Za-z]://')
  [[ -n $loaded ]] || fail "no loader record: $(head -n 3 loader.log)"
else
  answer=$(LD_DEBUG=files LD_DEBUG_OUTPUT="$scratch/loader" "$console" - <<< "$session")
  loaded=$(sed -n 's/.*calling init: //p' "$scratch"/loader.* | sort -u)
fi
while read -r library; do
  library=$(realpath -m "$library")
  if [[ $library == "$root"* ]]; then
    own=${library#"$root"}
    printf '%s\n' "${own_libraries[@]}" | grep -qixF "$own" || fail "the console loaded $own of the package"
  fi
done <<< "$loaded"
machine_runtime=$(grep -iE '/(libcudart\.so[.0-9]*|cudart(32|64)_[0-9]+\.dll)$' <<< "$loaded" || true)
# Neither Wine nor a machine without an NVIDIA device node has a GPU to offer.
if [[ $system == Windows || ! -e /dev/nvidiactl ]]; then
  [[ $answer == *$'ret Variable_Get $MEMORY_CUDA_AVAILABLE 1 32832 0\n'* ]] ||
    fail "a GPU where the machine offers none (runtime: ${machine_runtime:-none}): $answer"
fi
echo "ok: $mode"
