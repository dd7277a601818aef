#!/usr/bin/env bash
# Builds vexa, starts the demo board on a free port of 127.0.0.1 and opens the docked viewer on
# its busiest thread on $DISPLAY; with no display it says so and watches the thread in the
# terminal (`vexa --headless`) instead. Extra arguments go to vexa (for example --pages DIR).
# With --https first, the board serves HTTPS with a certificate made for this run, and vexa
# trusts that run's authority only (SSL_CERT_FILE).
# Ctrl-C ends both. VEXA_BUILD_DIR picks another build folder than build/normal.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VEXA_BUILD_DIR:-$top/build/normal}
bash "$top/scripts/install-deps.sh"
if [[ ! -f $build/build.ninja ]]; then
  echo "Configuring the build in $build"
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# Ninja's progress lines ([step/steps] ...) show the build moving; a first build takes minutes.
echo "Building vexa in $build"
cmake --build "$build" -j "$(nproc)" --target vexa

fifo_dir=$(mktemp -d)
trap 'kill "$board" 2>/dev/null || true; wait "$board" 2>/dev/null || true; rm -rf "$fifo_dir"' EXIT
mkfifo "$fifo_dir/out"
https=()
if [[ ${1:-} == --https ]]; then
  shift
  https=(--https "$fifo_dir/authority.pem")
  export SSL_CERT_FILE="$fifo_dir/authority.pem"
fi
python3 "$top/tools/demo_board.py" --host 127.0.0.1 --port 0 --local-streams "${https[@]}" \
  >"$fifo_dir/out" &
board=$!
exec 3<"$fifo_dir/out"
read -r address <&3
read -r thread <&3
case $address in
  https://*) echo "demo board at $address/ (watching thread $thread)" >&2 ;;
  *) echo "demo board at http://$address/ (watching thread $thread)" >&2 ;;
esac
status=0
if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
  echo "the docked viewer is at the left edge of the screen; its tray icon's menu ends it" >&2
  "$build/app/vexa" --menu-host "$address" --thread "$thread" "$@" || status=$?
else
  echo "no display to dock to (DISPLAY is \"${DISPLAY:-}\"): watching in the terminal instead" >&2
  "$build/app/vexa" --headless --menu-host "$address" --thread "$thread" "$@" || status=$?
fi
exit "$status"
