#!/usr/bin/env bash
# Runs the codestream benchmark, then encodes the same 48 busy 1998x1080
# frames with OpenJPEG's own encoder (opj_compress -cinema2K 24, 12-bit
# input, one process per core) and prints the same figures, so that both can
# be compared in one run.
#   bench/opj_compress_bench.sh [build dir, default build/release]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build/release}"
bench="$build/bench/bench_j2k_encode_bench"
[ -x "$bench" ] || { echo "build $bench first (scripts/build.sh release)" >&2; exit 1; }
frames=48
cores="$(nproc)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

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

# PSNR of every 8th frame, with opj_compress's default colour transform and,
# for the same coding choices as ours, without it (-mct 0).
for mct in default 0; do
  total=0; count=0
  for i in $(seq 0 8 $((frames - 1))); do
    f=$(printf "%s/frame%02d" "$work" "$i")
    if [ "$mct" = 0 ]; then
      opj_compress -i "$f.ppm" -o "$f.j2c" -cinema2K 24 -GuardBits 1 -mct 0 >/dev/null 2>&1
    fi
    opj_decompress -i "$f.j2c" -o "$f.dec.ppm" >/dev/null 2>&1
    p=$("$bench" --psnr "$f.ppm" "$f.dec.ppm")
    total=$(awk -v a="$total" -v b="$p" 'BEGIN { print a + b }'); count=$((count + 1))
  done
  awk -v t="$total" -v c="$count" -v m="$mct" \
    'BEGIN { printf "opj      PSNR (mct %s, every 8th frame): %.3f dB\n", m, t / c }'
done
