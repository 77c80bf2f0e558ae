#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/: clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer)
# into build-fuzz/ and runs each for the given number of seconds (60 by default), starting from
# its committed seed corpus (fuzz/corpus/<target>/, regressions included). Fails when a target
# finds a crash, a leak, an input that runs over 10 s, a sanitizer report or a memory blow-up;
# the input that did it is kept in build-fuzz/findings/<target>/.
#   scripts/fuzz.sh [seconds [target...]]   (every target when none is named)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
chosen=("$@")
started=$SECONDS
bash scripts/install-deps.sh

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_FUZZ=ON \
    -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j 2
echo "Fuzz targets built in $((SECONDS - started)) s."

# target, longest input (the head is at most 64 KiB; a ciphertext long enough for progress mode;
# an age header of a few stanzas; an age payload of three chunks)
targets=(
    "head_judge 65538"
    "format_check 65538"
    "cipher_run 262145"
    "age_header 8192"
    "age_payload 196700"
    "chm_archive 131072"
)

# The targets that need files write them to a tmpfs where there is one.
scratch_root=/dev/shm
[ -d "$scratch_root" ] && [ -w "$scratch_root" ] || scratch_root=${TMPDIR:-/tmp}
scratch=$(mktemp -d "$scratch_root/korvel-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# An allocation of over 1 GiB fails, as it may on a user's machine: chmlib allocates what a CHM
# file claims and copes with a refusal; our code must cope too, or the fuzzer reports the crash.
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1:max_allocation_size_mb=1024
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
summary=()
for entry in "${targets[@]}"; do
    read -r name max_len <<<"$entry"
    if [ ${#chosen[@]} -gt 0 ] && ! printf '%s\n' "${chosen[@]}" | grep -qx "$name"; then
        summary+=("fuzz_$name: NOT RUN (not named)")
        continue
    fi
    corpus=build-fuzz/corpus/$name
    findings=build-fuzz/findings/$name
    log=build-fuzz/logs/$name.log
    mkdir -p "$corpus" "$findings" "$(dirname "$log")"
    echo "== fuzz_$name for $seconds s"
    status=0
    # New inputs go into the first folder; the committed seeds are only read.
    TMPDIR=$scratch timeout --kill-after=30 $((seconds + 120)) \
        "build-fuzz/fuzz/fuzz_$name" "$corpus" "fuzz/corpus/$name" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=2048 \
        -max_len="$max_len" -print_final_stats=1 -artifact_prefix="$findings/" \
        >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ "$status" -ne 0 ] || grep -qE 'ERROR: (Address|Leak|UndefinedBehavior)Sanitizer|runtime error:' "$log"; then
        failed+=("$name")
        summary+=("fuzz_$name: FAILED (status $status) after ${runs:-?} executions; see $log")
        grep -v 'WARNING: AddressSanitizer failed to allocate' "$log" | tail -n 60
    else
        summary+=("fuzz_$name: ${runs:-?} executions, nothing found")
    fi
done

echo "== fuzzing, $seconds s per target"
printf '%s\n' "${summary[@]}"
echo "Fuzzing took $((SECONDS - started)) s in all, the build included."
if [ ${#failed[@]} -gt 0 ]; then
    echo "Fuzzing FAILED: ${failed[*]}. Each input is in build-fuzz/findings/<target>/; once fixed," \
        "keep it in fuzz/corpus/<target>/ as a regression."
    exit 1
fi
