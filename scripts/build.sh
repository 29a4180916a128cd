#!/usr/bin/env bash
# Configures and builds one tree: scripts/build.sh [release|asan|tsan|fuzz]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
kind="${1:-release}"
case "$kind" in
  release) dir="$here/build/release"; flags=(-DLUMAVOX_SANITIZE=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  # The sanitizer tree keeps its assertions (no NDEBUG) but is optimised:
  # unoptimised, its renders run some five times slower. The checking trees
  # keep line tables only (-g1): the sanitizers' reports keep their lines, and
  # full debug information would double their build.
  asan)    dir="$here/build/asan";    flags=(-DLUMAVOX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DLUMAVOX_BENCH=OFF
                                              "-DCMAKE_C_FLAGS_DEBUG=-O1 -g1" "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1") ;;
  tsan)    dir="$here/build/tsan";    flags=(-DLUMAVOX_SANITIZE_THREAD=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMAVOX_BENCH=OFF
                                              "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
                                              "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG") ;;
  fuzz)    dir="$here/build/fuzz";    flags=(-DLUMAVOX_FUZZ=ON -DLUMAVOX_TESTS=OFF -DLUMAVOX_BENCH=OFF
                                              -DCMAKE_BUILD_TYPE=RelWithDebInfo
                                              "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
                                              "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
                                              -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "usage: $0 [release|asan|tsan|fuzz]" >&2; exit 2 ;;
esac
cmake -S "$here" -B "$dir" -G Ninja "${flags[@]}" >/dev/null
if [ "$kind" = fuzz ]; then
  cmake --build "$dir" --target fuzz_targets
else
  cmake --build "$dir"
fi
