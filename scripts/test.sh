#!/usr/bin/env bash
# Installs what is missing, builds the plain and the sanitizer trees, checks
# the code's format and runs static analysis (scripts/lint.sh), and runs every
# test in both trees.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
jobs="$(nproc)"
status=0
for kind in release asan; do
  "$here/scripts/build.sh" "$kind"
  if [ "$kind" = release ]; then
    # Format and static analysis over the release tree's compile commands; a
    # failure fails the run, but the tests still run.
    "$here/scripts/lint.sh" "$here/build/release" || status=1
  fi
  echo "== tests ($kind build)"
  if [ "$kind" = asan ]; then
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  fi
  ctest --test-dir "$here/build/$kind" --output-on-failure -j "$jobs" || status=1
done
exit $status
