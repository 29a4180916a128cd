#!/usr/bin/env bash
# Installs what building and testing need, from Debian's packages.
# Does nothing when everything is there already.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev
  libssl-dev openssl libexpat1-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev libdeflate-dev
  ffmpeg libopenjp2-tools mediainfo libxml2-utils libxml2-dev
  clang libclang-rt-14-dev
  python3-dicttoxml python3-freetype
  libgtk-3-dev fonts-dejavu-core fonts-dejavu-extra
  xvfb xdotool
  clang-format clang-tidy
)

# The DCP checkers beside the repository bring their own list of run-time
# packages; ClairMeta also needs the two Python modules above.
here="$(cd "$(dirname "$0")/.." && pwd)"
if [ -f "$here/../shared/checkers/install-deps.sh" ]; then
  bash "$here/../shared/checkers/install-deps.sh"
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "setup: installing ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
