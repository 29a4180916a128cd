#!/usr/bin/env bash
# Checks the format of the tracked C++ files (clang-format, .clang-format) and
# runs clang-tidy (.clang-tidy) over every project source in the release
# tree's compile_commands.json. Exits non-zero on any misformatted line or any
# finding, after running both checks.
#   scripts/lint.sh [build-dir]      (default: build/release, built beforehand)
set -uo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build/release}"
cd "$here" || exit 2
status=0

# Written by scripts/gen_xyz_tables.py: its layout is the generator's.
mapfile -t sources < <(git ls-files -- '*.cpp' '*.h' ':!:encoder/xyz_tables.cpp')
echo "== format: clang-format over ${#sources[@]} files"
clang-format --dry-run --Werror "${sources[@]}" || status=1

echo "== static analysis: clang-tidy over $build/compile_commands.json"
if [ ! -f "$build/compile_commands.json" ]; then
  echo "lint: no $build/compile_commands.json; build the tree first (scripts/build.sh release)" >&2
  exit 2
fi
# run-clang-tidy prints every command it runs and clang-tidy counts the
# warnings it keeps quiet; only the findings are shown, without colours.
run-clang-tidy -p "$build" -j "$(nproc)" -quiet "^$here/(bench|encoder|host|package|platform|plugin|tests|ui)/" 2>&1 |
  sed 's/\x1b\[[0-9;]*m//g' |
  grep -Ev '^(clang-tidy(-[0-9]+)? |[0-9]+ (warnings?|errors?)( and [0-9]+ errors?)? generated\.$|Suppressed [0-9]+ warnings|Use -header-filter|$)'
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1

if [ $status -eq 0 ]; then
  echo "lint: clean"
else
  echo "lint: FAILED: misformatted lines or clang-tidy findings above"
fi
exit $status
