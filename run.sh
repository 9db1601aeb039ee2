#!/usr/bin/env bash
# Installs what is missing, builds the editor in Release and starts it.
#   ./run.sh [FILE]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$here/build/release"
exe="$build/app/farovinter"

# The nearest folder of the build that exists decides whether this user can
# build: another user's checkout may have been built by root.
writable_build() {
  local dir
  for dir in "$build" "$here/build" "$here"; do
    if [ -e "$dir" ]; then
      [ -w "$dir" ]
      return
    fi
  done
  return 1
}

if ! writable_build; then
  if [ -x "$exe" ]; then
    echo "run.sh: $build is not writable for you, so the build could not be brought up to date; starting it as it is." >&2
    exec "$exe" "$@"
  fi
  echo "run.sh: the editor is not built yet and $here/build must be writable for you to build it." >&2
  exit 1
fi

"$here/scripts/deps.sh" run
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFV_TESTS=OFF >/dev/null
cmake --build "$build"
if [ ! -x "$exe" ]; then
  echo "The editor's main window is not built yet; the libraries were built."
  exit 0
fi
exec "$exe" "$@"
