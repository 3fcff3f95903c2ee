#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test, benchmark and run its
# demo. Quick when everything is there already: apt is only used for what is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config          # compilers, binutils (nm), CMake
  libgtest-dev libgmock-dev googletest      # tests
  libbenchmark-dev                          # benchmarks
  libcairo2-dev libpng-dev libfontconfig-dev fonts-dejavu-core  # the host's drawing
  libedit-dev                               # the console's prompt
  file                                      # cpack's search for the files it links
  clang libclang-rt-14-dev llvm             # sanitizer and fuzzing builds, llvm-symbolizer
  gcovr                                     # coverage reports
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$package")
done
((${#missing[@]} == 0)) && exit 0

as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
