#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test, benchmark and run its
# demo, for the default build, the 32-bit build (linux-i686 preset) and the Windows build
# (windows-i686: MinGW-w64, and 32-bit Wine to run it). Quick when everything is there
# already: apt is only used for what is missing.
set -euo pipefail

# Libraries the builds link against: installed for the machine and, where the 32-bit
# build links them too, for i386 (beside them, never instead of them).
libraries=(
  libgtest-dev libgmock-dev                 # tests
  libcairo2-dev libfontconfig-dev           # the host's drawing (Cairo writes its PNGs)
  libedit-dev                               # the console's prompt
  libbenchmark-dev                          # benchmarks
)

packages=(
  build-essential cmake pkg-config          # compilers, binutils (nm, readelf), CMake
  g++-multilib                              # the 32-bit build (-m32)
  googletest                                # GoogleTest's sources
  fonts-dejavu-core                         # the panel's font
  file                                      # cpack's search for the files it links
  unzip                                     # the check of the Windows package
  libstb-dev                                # PNG reading and writing on every target
  g++-mingw-w64-i686                        # the Windows build
  wine wine32:i386                          # to run it: 32-bit Wine
  clang libclang-rt-14-dev llvm             # sanitizer and fuzzing builds, llvm-symbolizer
  gcovr                                     # coverage reports
  "${libraries[@]}"
  "${libraries[@]/%/:i386}"
)

# A package without an architecture is the machine's own (or one for all architectures):
# asked for as such, so that its i386 namesake does not answer for it.
native=$(dpkg --print-architecture)
missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package:$native" 2>/dev/null ||
           dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$package")
done
((${#missing[@]} == 0)) && exit 0

as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
# Other users of the machine may be installing at the same time: wait for their lock.
apt=("${as_root[@]}" apt-get -o DPkg::Lock::Timeout=900 -o Acquire::Retries=3)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi

# A mirror's i386 lists (the security archive's above all) can be caught half-way
# through an update, out of step with the amd64 ones. The i386 libraries must sit beside
# the amd64 ones at the same versions; with lagging lists apt would find no way, or make
# room by removing amd64 packages. So the install is planned first (apt-get -s), and
# taken only when it removes nothing; otherwise the lists are fetched again, up to 3 times.
for attempt in 1 2 3; do
  "${apt[@]}" update || echo "install-deps: apt-get update failed; going on with the lists that arrived" >&2
  if plan=$("${apt[@]}" -s install --no-install-recommends "${missing[@]}" 2>&1) &&
     ! grep -q '^Remv ' <<< "$plan"; then
    exec "${apt[@]}" install -y --no-install-recommends "${missing[@]}"
  fi
  echo "install-deps: no clean way to install ${missing[*]} (attempt $attempt of 3):" >&2
  grep -E '^(Remv |E: | )' <<< "$plan" >&2 || true
  ((attempt < 3)) && sleep $((attempt * 20))
done
echo "install-deps: the package lists stay out of step (i386 against amd64); try again later" >&2
exit 1
