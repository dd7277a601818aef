#!/usr/bin/env bash
# Installs the Debian packages the build needs; quiet when they are all there already, and with a
# line per download and per package set up otherwise, so a first run does not look hung.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mapfile -t wanted < <(grep -v -E '^\s*(#|$)' "$here/packages.txt")
missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
echo "Installing ${#missing[@]} Debian packages and what they need: ${missing[*]}"
echo "(this takes a few minutes on a fresh machine)"
# apt's own lines, less the noise: what it fetches, unpacks and sets up, and any warning.
progress() {
  awk '/^(Get:|Fetched|Unpacking|Setting up|Reading package lists|E:|W:|Err:)/ { print "  " $0; fflush() }'
}
$sudo apt-get update -q -o Dpkg::Use-Pty=0 2>&1 | progress
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q -o Dpkg::Use-Pty=0 \
  --no-install-recommends "${missing[@]}" 2>&1 | progress
echo "Packages installed."
