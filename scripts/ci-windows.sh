#!/usr/bin/env bash
# The module's real home: the i686 Windows build (folder build-windows-i686/, MinGW-w64)
# and every test under Wine, with the real Windows API doing the platform's calls.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset windows-i686
cmake --build --preset windows-i686
ctest --preset windows-i686
