#!/usr/bin/env bash
# Installs the Debian packages that building, testing or running needs and
# that are not installed yet. Needs root (or sudo) only when something is missing.
set -euo pipefail
packages=(
  g++ cmake ninja-build pkg-config
  libjpeg62-turbo-dev libpng-dev libgif-dev zlib1g-dev
  qt6-base-dev qt6-svg-dev qt6-translations-l10n fonts-ipafont-gothic
)
case "${1:-run}" in
  # The window-manager tests run the editor under a virtual X server with openbox;
  # scripts/mutate.sh is Python.
  test) packages+=(libgtest-dev libgmock-dev libbenchmark-dev optipng xvfb openbox xdotool x11-utils python3) ;;
  run) ;;
  *) echo "usage: deps.sh [run|test]" >&2; exit 2 ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
