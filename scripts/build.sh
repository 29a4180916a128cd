#!/usr/bin/env bash
# Configures and builds one tree: scripts/build.sh [release|asan]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
kind="${1:-release}"
case "$kind" in
  release) dir="$here/build/release"; flags=(-DLUMAVOX_SANITIZE=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  asan)    dir="$here/build/asan";    flags=(-DLUMAVOX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DLUMAVOX_BENCH=OFF) ;;
  *) echo "usage: $0 [release|asan]" >&2; exit 2 ;;
esac
cmake -S "$here" -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir"
