#!/usr/bin/env bash
# Runs clang-tidy (checks in .clang-tidy) over the project's own sources; exits non-zero on any
# finding. Uses the compile commands of the build in build/, which it brings up to date first.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-tidy >/dev/null || { echo "clang-tidy is missing (Debian: clang-tidy)"; exit 2; }
bash scripts/build.sh >/dev/null  # generated sources (moc, resources) must exist
# Only what this build compiles: files for other platforms (the Windows-only tests) have no
# compile commands here.
mapfile -t sources < <(find files cipher run queue headcheck gui shell cli bench tests -name '*.cpp' | sort |
    while read -r file; do grep -qF "\"$PWD/$file\"" build/compile_commands.json && echo "$file"; done)
log=$(mktemp)
errors=$(mktemp)
status=0
printf '%s\n' "${sources[@]}" |
    xargs -P "$(nproc)" -n 4 clang-tidy -p build --quiet 2>"$errors" >"$log" || status=$?
if [ "$status" -ne 0 ] && ! grep -qE '(warning|error):' "$log"; then
    cat "$errors"
    echo "clang-tidy could not check every file"
    exit 1
fi
rm -f "$errors"
if grep -qE '(warning|error):' "$log"; then
    grep -E -A3 '(warning|error):' "$log"
    echo "clang-tidy: $(grep -cE '(warning|error):' "$log") findings"
    rm -f "$log"
    exit 1
fi
rm -f "$log"
echo "clang-tidy: no findings in ${#sources[@]} files"
