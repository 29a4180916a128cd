#!/usr/bin/env bash
# Installs what is missing, builds, and renders a demo package to out/demo.DCP
# (the package folder is out/demo).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
"$here/scripts/build.sh" release
mkdir -p "$here/out"
"$here/build/release/bin/lumavox-render" --help
"$here/build/release/bin/lumavox-render" --seconds 2 "$here/out/demo.DCP"
echo "demo package: $here/out/demo"
ls -l "$here/out/demo"
