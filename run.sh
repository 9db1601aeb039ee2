#!/usr/bin/env bash
# Installs what is missing, builds the editor in Release and starts it.
#   ./run.sh [FILE]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/deps.sh" run
cmake -S "$here" -B "$here/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFV_TESTS=OFF >/dev/null
cmake --build "$here/build/release"
exe="$here/build/release/app/farovinter"
if [ ! -x "$exe" ]; then
  echo "The editor's main window is not built yet; the libraries were built."
  exit 0
fi
exec "$exe" "$@"
