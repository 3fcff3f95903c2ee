#!/usr/bin/env bash
# Every fuzz target briefly (30 s each by default, or $KESTRUM_FUZZ_SECONDS).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/fuzz.sh all "${KESTRUM_FUZZ_SECONDS:-30}"
