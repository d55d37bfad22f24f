#!/usr/bin/env bash
# Configures (once) and builds the one incremental build tree, as the user
# who runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -e build ] && [ ! -w build ]; then
    echo "build.sh: build/ 不属于当前用户（可能是以前用 sudo 编译的）；请执行 sudo chown -R $(id -un): build" >&2
    exit 1
fi
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel 2
