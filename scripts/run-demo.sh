#!/usr/bin/env bash
# Builds the Linux plug-in and host, then captures the built-in demo scene into demo.mov.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh main
cmake -S . -B build/linux -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/linux -j "$(nproc)" --target orbivane-host
build/linux/simhost/orbivane-host --out "${1:-demo.mov}"
