#!/usr/bin/env bash
# run.sh started by a user who cannot write the build folder: it starts the
# existing build, or says which folder must be writable, and never builds.
set -euo pipefail
source_run_sh="$1"
work="$(mktemp -d)"
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
chmod 755 "$work"

# A checkout with run.sh, a dependency step that must not be reached, and
# cmake on PATH that fails the test when called.
make_checkout() {
  local tree="$1"
  mkdir -p "$tree/scripts" "$tree/bin"
  cp "$source_run_sh" "$tree/run.sh"
  printf '#!/bin/sh\necho "deps.sh ran" >&2\nexit 3\n' >"$tree/scripts/deps.sh"
  printf '#!/bin/sh\necho "cmake ran" >&2\nexit 3\n' >"$tree/bin/cmake"
  chmod 755 "$tree/run.sh" "$tree/scripts/deps.sh" "$tree/bin/cmake"
}

# Runs the checkout's run.sh as a user without write access: nobody when we
# are root (permission bits do not stop root), else ourselves.
run_as_other() {
  local tree="$1"; shift
  chmod -R a-w "$tree"
  if [ "$(id -u)" -eq 0 ]; then
    setpriv --reuid=65534 --regid=65534 --clear-groups env PATH="$tree/bin:$PATH" "$tree/run.sh" "$@"
  else
    env PATH="$tree/bin:$PATH" "$tree/run.sh" "$@"
  fi
}

fail() { echo "FAIL: $*" >&2; exit 1; }

built="$work/built"
make_checkout "$built"
mkdir -p "$built/build/release/app"
printf '#!/bin/sh\necho "editor started with: $*"\n' >"$built/build/release/app/farovinter"
chmod 755 "$built/build/release/app/farovinter"
out="$(run_as_other "$built" "photo one.bmp" 2>"$work/err")" || fail "status $? with an existing build"
[ "$out" = "editor started with: photo one.bmp" ] || fail "editor not started with the file: $out"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "expected one line of notice: $(cat "$work/err")"
grep -q "could not be brought up to date" "$work/err" || fail "no notice: $(cat "$work/err")"

bare="$work/bare"
make_checkout "$bare"
status=0
run_as_other "$bare" >/dev/null 2>"$work/err" || status=$?
[ "$status" -eq 1 ] || fail "status $status without a build"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "expected one line: $(cat "$work/err")"
grep -q "$bare/build must be writable" "$work/err" || fail "folder not named: $(cat "$work/err")"
echo "run.sh without write access: passed"
