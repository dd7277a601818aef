#!/usr/bin/env bash
# Builds a normal and an ASan+UBSan configuration and runs every test of both through CTest.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
jobs=$(nproc)
for config in normal asan; do
  dir="$top/build/$config"
  extra=()
  [[ $config == asan ]] && extra=(-DVEXA_SANITIZE=ON)
  echo "== build: $config ($dir)"
  cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}" >/dev/null
  cmake --build "$dir" -j "$jobs"
  echo "== tests: $config"
  ASAN_OPTIONS=detect_leaks=1 ctest --test-dir "$dir" --output-on-failure -j "$jobs"
done
