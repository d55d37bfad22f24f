#!/usr/bin/env bash
# The whole test suite once more under GCC's AddressSanitizer and
# UndefinedBehaviorSanitizer, in a build of its own (build-asan/, -O1, no
# benchmarks). Any report fails the test that made it. Leaks inside the
# system's libraries (fonts, Qt's platform plugins) are listed in
# scripts/lsan.supp.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -e build-asan ] && [ ! -w build-asan ]; then
    echo "test-asan.sh: build-asan/ 不属于当前用户；请执行 sudo chown -R $(id -un): build-asan" >&2
    exit 1
fi
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
[ -f build-asan/build.ninja ] || cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g -DNDEBUG" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" -DLUMORA_BENCHES=OFF
cmake --build build-asan --parallel 2
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=0
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
cd build-asan && ctest --output-on-failure --parallel 2
