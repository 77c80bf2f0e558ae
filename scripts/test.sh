#!/usr/bin/env bash
# Builds everything and runs the test suite of the Linux build (.ci/run adds clang-tidy, the
# sanitizers and the Windows stages).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
ctest --test-dir build --output-on-failure -j "$(nproc)"
