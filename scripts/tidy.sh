#!/usr/bin/env bash
# Runs clang-tidy (checks in .clang-tidy) over the project's own sources; exits non-zero on any
# finding. Uses the compile commands of build-tidy/, configured here when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-tidy >/dev/null || { echo "clang-tidy is missing (Debian: clang-tidy)"; exit 2; }
cmake -S . -B build-tidy -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --build build-tidy -j "$(nproc)" >/dev/null  # generated sources (moc, resources) must exist
mapfile -t sources < <(git ls-files -- 'cipher/*.cpp' 'windows/*.cpp' 'shell/*.cpp' 'bench/*.cpp' \
    'tests/*.cpp' "$@")
log=$(mktemp)
printf '%s\n' "${sources[@]}" |
    xargs -P "$(nproc)" -n 4 clang-tidy -p build-tidy --quiet 2>/dev/null >"$log" || true
if grep -qE '(warning|error):' "$log"; then
    grep -E -A3 '(warning|error):' "$log"
    echo "clang-tidy: $(grep -cE '(warning|error):' "$log") findings"
    rm -f "$log"
    exit 1
fi
rm -f "$log"
echo "clang-tidy: no findings in ${#sources[@]} files"
