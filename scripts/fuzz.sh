#!/usr/bin/env bash
# Builds the fuzz targets of the bill readers with clang and libFuzzer (in
# build-fuzz/, apart from the program's build) and runs each for SECONDS
# (default 60) from its seed corpus in fuzz/corpus/. Fails on any crash,
# leak, timeout or sanitizer report; the input that did it is kept in
# build-fuzz/crashes/TARGET/ and the run's log in build-fuzz/TARGET.log.
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(csv xlsx_sheet xlsx_strings bill_file xls layouts)
bash scripts/install-deps.sh
[ -f build-fuzz/build.ninja ] || CXX=clang++ cmake -S fuzz -B build-fuzz -G Ninja
cmake --build build-fuzz --parallel 2
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0:strict_string_checks=1
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
failed=()
for target in "${targets[@]}"; do
    found=build-fuzz/corpus/$target
    crashes=build-fuzz/crashes/$target
    mkdir -p "$found" "$crashes"
    echo "fuzz_$target: ${seconds} s"
    # New inputs go to the first folder; the seeds are only read.
    # A bill is read within 200 MB and 5 s whatever it declares; the
    # limits leave the sanitizers their share, and inputs up to 1 MB let
    # the fuzzer build the small files that declare huge ones.
    if build-fuzz/fuzz_$target -max_total_time="$seconds" -timeout=5 -rss_limit_mb=500 -max_len=1048576 \
        -artifact_prefix="$crashes/" -print_final_stats=1 "$found" "fuzz/corpus/$target" \
        >"build-fuzz/$target.log" 2>&1; then
        grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "build-fuzz/$target.log" | tr '\n' ' '
        echo
    else
        failed+=("$target")
        tail -n 40 "build-fuzz/$target.log"
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz.sh: found faults in: ${failed[*]} (inputs in build-fuzz/crashes/)" >&2
    exit 1
fi
echo "fuzz.sh: no faults found"
