#!/usr/bin/env bash
# Builds vexa and runs it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
cmake -S "$top" -B "$top/build/normal" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$top/build/normal" -j "$(nproc)" --target vexa
exec "$top/build/normal/app/vexa" "$@"
