#!/usr/bin/env bash
# Installs what is missing, then runs every test three ways: the normal build with the
# module's coverage reported (build/), the sanitizer build (build-sanitize/), and each
# fuzz target for 30 seconds (build-fuzz/).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/ci-coverage.sh
scripts/ci-sanitize.sh
scripts/ci-fuzz.sh
