#!/usr/bin/env bash
# Installs what is missing, then runs every test five ways: the normal build with the
# module's coverage reported (build/), the 32-bit build (build-linux-i686/), each fuzz
# target for 30 seconds (build-fuzz/), the sanitizer build (build-sanitize/), and the
# Windows build under Wine (build-windows-i686/).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/ci-coverage.sh
scripts/ci-linux-i686.sh
scripts/ci-fuzz.sh
scripts/ci-sanitize.sh
scripts/ci-windows.sh
