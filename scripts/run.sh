#!/usr/bin/env bash
# Installs the packages, builds, and starts Lumora.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
exec build/Lumora
