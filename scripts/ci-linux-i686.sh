#!/usr/bin/env bash
# Every test again in a 32-bit build (folder build-linux-i686/, preset linux-i686): the
# module in the kind of process it lives in, where size_t and pointers are 32 bits and
# the free address space is less than 4 GiB.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset linux-i686
cmake --build --preset linux-i686
ctest --preset linux-i686
