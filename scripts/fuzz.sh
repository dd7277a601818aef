#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while; exits non-zero on any finding.
# Usage: fuzz.sh [SECONDS_FOR_NETWORK_TARGETS] [SECONDS_FOR_THE_OTHERS]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
long=${1:-60}
short=${2:-20}
bash "$top/scripts/install-deps.sh"
dir="$top/build/fuzz"
CC=clang CXX=clang++ cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXA_FUZZ=ON \
  -DVEXA_TESTS=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)"
for target in "$dir"/fuzz/*_fuzz; do
  name=$(basename "$target")
  seconds=$short
  case $name in response_read_fuzz | cookie_handler_fuzz | tls_records_fuzz) seconds=$long ;; esac
  # The parsers of whole pages get inputs of up to 1 MB from the start and one second each:
  # linear work on that takes milliseconds in this optimised build, so an input that takes longer
  # is a quadratic pass, reported as a finding.
  limits=(-max_len=16384)
  case $name in
    write_form_fuzz | body_conversion_fuzz)
      limits=(-max_len=1048576 -len_control=0 -timeout=1 -rss_limit_mb=1024) ;;
    # It converts every run to UTF-8 as it goes: slower per byte, so shorter inputs keep the margin.
    headless_page_text_fuzz)
      limits=(-max_len=262144 -len_control=0 -timeout=1 -rss_limit_mb=1024) ;;
  esac
  corpus="$dir/corpus/$name"
  mkdir -p "$corpus"
  echo "== fuzz: $name for ${seconds}s"
  "$target" -max_total_time="$seconds" "${limits[@]}" -print_final_stats=0 \
    -artifact_prefix="$dir/" "$corpus" 2>"$dir/$name.log" || {
    tail -n 40 "$dir/$name.log"
    exit 1
  }
  grep -E '^(Done|#[0-9]+ +DONE)' "$dir/$name.log" | tail -n 1 || true
done
