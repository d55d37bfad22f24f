#!/usr/bin/env bash
# Installs the packages (asking sudo for that alone), builds, and starts
# Lumora as the user who runs it. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ]; then
    echo "run.sh: 请以普通用户运行（不要用 sudo）：安装软件包时脚本会自己调用 sudo；" >&2
    echo "        用 sudo 编译的 build/ 属于 root，请先执行 sudo chown -R $SUDO_USER: build" >&2
    exit 1
fi
bash scripts/install-deps.sh
bash scripts/build.sh
exec build/Lumora "$@"
