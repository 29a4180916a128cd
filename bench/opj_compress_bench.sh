#!/usr/bin/env bash
# Runs the codestream benchmark, then encodes the same 48 busy 1998x1080
# frames with OpenJPEG's own encoder (opj_compress -cinema2K 24, 12-bit
# input, one process per core) and prints the same figures, so that both can
# be compared in one run.
# Then it compares the quality of both on titles, lines and ramps (below).
#   bench/opj_compress_bench.sh [--titles] [build dir, default build/release]
# With --titles, only that last comparison runs.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
titles_only=false
if [ "${1:-}" = --titles ]; then titles_only=true; shift; fi
build="${1:-$here/build/release}"
bench="$build/bench/bench_j2k_encode_bench"
[ -x "$bench" ] || { echo "build $bench first (scripts/build.sh release)" >&2; exit 1; }
frames=48
cores="$(nproc)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
if [ -f "$here/../shared/checkers/env.sh" ]; then . "$here/../shared/checkers/env.sh"; fi

if ! $titles_only; then
"$bench" "$frames"

"$bench" --write-frames "$work"
encode_all() {  # $1: processes in parallel; $2...: extra opj_compress options
  local procs="$1"; shift
  ls "$work"/frame*.ppm | xargs -P "$procs" -I{} \
    sh -c 'f="$1"; shift; opj_compress -i "$f" -o "${f%.ppm}.j2c" "$@" >/dev/null 2>&1' _ {} "$@"
}
for mode in single cores; do
  procs=1; label="single process:"
  if [ "$mode" = cores ]; then procs="$cores"; label="$cores processes, frame/core:"; fi
  rm -f "$work"/*.j2c
  start=$(date +%s.%N)
  encode_all "$procs" -cinema2K 24 -GuardBits 1
  end=$(date +%s.%N)
  bytes=$(cat "$work"/frame*.j2c | wc -c)
  awk -v n="$frames" -v s="$start" -v e="$end" -v b="$bytes" -v l="$label" \
    'BEGIN { printf "opj      %-22s %7.2f frames/s  %9.0f bytes/frame\n", l, n / (e - s), b / n }'
done

# Quality at 250 Mbit/s on two kinds of content, with X'Y'Z' off and on:
# the test card above (every 8th frame) and colour photographs from Debian's
# mate-backgrounds (each photograph once, scaled and cropped to 1998x1080).
# Both encoders code the same 12-bit frames; opj_compress applies its colour
# transform, as ours does.
photos=/usr/share/backgrounds/mate/nature
if ! ls "$photos"/*.jpg >/dev/null 2>&1; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get install -y -qq --no-install-recommends mate-backgrounds >/dev/null
fi
mkdir -p "$work/photos"
i=0
for jpg in "$photos"/*.jpg; do
  ffmpeg -v error -y -i "$jpg" -vf "scale=1998:1080:force_original_aspect_ratio=increase,crop=1998:1080" \
    -pix_fmt rgb48be "$(printf "%s/photos/frame%02d.ppm" "$work" "$i")"
  i=$((i + 1))
done

# Besides PSNR, the mean codestream size against the frame's budget of
# 1302083 bytes.
printf "%-14s %-6s %12s %16s %14s %16s\n" "PSNR (dB)" "X'Y'Z'" "lumavox" "opj_compress" "lumavox bytes" "opj_compress bytes"
for content in synthetic photographic; do
  for xyz in off on; do
    args=(); every=8
    if [ "$content" = photographic ]; then args+=(--frames-from "$work/photos"); every=1; fi
    if [ "$xyz" = on ]; then args+=(--xyz); fi
    set_dir="$work/$content-$xyz"
    mkdir -p "$set_dir"
    "$bench" "${args[@]}" --write-frames "$set_dir"
    read -r ours ours_bytes _ < <("$bench" "${args[@]}" --psnr-only "$every")
    total=0; count=0; bytes=0
    for f in "$set_dir"/frame*.ppm; do
      n=$((10#$(basename "$f" .ppm | tr -dc 0-9)))
      [ $((n % every)) -eq 0 ] || continue
      opj_compress -i "$f" -o "${f%.ppm}.j2c" -cinema2K 24 -GuardBits 1 >/dev/null 2>&1
      opj_decompress -i "${f%.ppm}.j2c" -o "${f%.ppm}.dec.ppm" >/dev/null 2>&1
      read -r p _ < <("$bench" --psnr "$f" "${f%.ppm}.dec.ppm")
      total=$(awk -v a="$total" -v b="$p" 'BEGIN { print a + b }'); count=$((count + 1))
      bytes=$((bytes + $(stat -c %s "${f%.ppm}.j2c")))
    done
    theirs=$(awk -v t="$total" -v c="$count" 'BEGIN { printf "%.3f", t / c }')
    printf "%-14s %-6s %12s %16s %14s %16s\n" "$content" "$xyz" "$ours" "$theirs" "$ours_bytes" "$((bytes / count))"
  done
done
fi

# Content that every film has and that coders find hard to keep exact: end
# titles, thin lines, ramps and grain on dark, one frame each, with X'Y'Z' off
# and on where said. Besides PSNR (at most 100 dB), the mean signed error of
# the decoded samples within 256 codes of black and of white, and whether each
# codestream passes j2c-verify at 24 fps.
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
roles=(Director Producer Screenplay "Director of Photography" Editor "Production Design" Music "Sound Design"
  "Costume Design" "Visual Effects" Casting "Line Producer" "First Assistant Director" Gaffer "Key Grip" Colourist)
names=(ANNA BERG "JONAS WEBER" "MARIE DUPONT" "LUKAS NOVAK" "SOFIA ROSSI" "ELENA PETROVA" "TOMAS KRAL" "NINA HOLM")
for i in $(seq 0 31); do
  printf "%-28s %s\n" "${roles[i % ${#roles[@]}]}" "${names[i % ${#names[@]}]} ${names[(i * 3 + 1) % ${#names[@]}]}"
done >"$work/credits.txt"
titles() {  # $1: frame file; $2: text colour; $3: background colour
  ffmpeg -v error -y -f lavfi -i "color=c=$3:s=1998x1080" -frames:v 1 -vf \
    "drawtext=fontfile=$font:textfile=$work/credits.txt:fontcolor=$2:fontsize=28:line_spacing=4:x=(w-text_w)/2:y=(h-text_h)/2" \
    -pix_fmt rgb48be "$1"
}
source_of() {  # $1: content; $2: frame file
  case "$1" in
    credits) titles "$2" white black ;;
    red-on-blue) titles "$2" red blue ;;
    *) "$bench" --pattern "$1" "$2" ;;
  esac
}
echo
printf "%-12s %-6s %10s %10s %13s %13s %13s %13s %9s %9s %8s\n" "frame" "X'Y'Z'" "lumavox" "opj" \
  "black lumavox" "black opj" "white lumavox" "white opj" "bytes" "opj bytes" "verify"
for frame in credits:off grid:off red-on-blue:off ramp:off low-ramp:off radial:off grain:off credits:on grid:on; do
  content="${frame%:*}"; xyz="${frame#*:}"
  dir="$work/titles-$content-$xyz"
  mkdir -p "$dir/source" "$dir/planes" "$dir/ours"
  source_of "$content" "$dir/source/frame00.ppm"
  args=(--frames-from "$dir/source")
  if [ "$xyz" = on ]; then args+=(--xyz); fi
  "$bench" "${args[@]}" --write-frames "$dir/planes"
  read -r ours ours_bytes ours_black ours_white < <("$bench" "${args[@]}" --psnr-only 1 --write-codestreams "$dir/ours")
  f="$dir/planes/frame00.ppm"
  opj_compress -i "$f" -o "$dir/opj.j2c" -cinema2K 24 -GuardBits 1 >/dev/null 2>&1
  opj_decompress -i "$dir/opj.j2c" -o "$dir/opj.ppm" >/dev/null 2>&1
  read -r theirs theirs_black theirs_white < <("$bench" --psnr "$f" "$dir/opj.ppm")
  verdict=none
  if command -v j2c-verify >/dev/null; then
    verdict=fails
    if j2c-verify --fps 24 --quiet "$dir/ours/frame00.j2c" >/dev/null 2>&1; then verdict=passes; fi
  fi
  printf "%-12s %-6s %10s %10s %13s %13s %13s %13s %9s %9s %8s\n" "$content" "$xyz" "$ours" "$theirs" \
    "$ours_black" "$theirs_black" "$ours_white" "$theirs_white" "$ours_bytes" "$(stat -c %s "$dir/opj.j2c")" "$verdict"
done
