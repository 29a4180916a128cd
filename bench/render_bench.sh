#!/usr/bin/env bash
# Whole renders against the encoder alone and against OpenJPEG's encoder, in
# one run, on the same 48 busy 1998x1080 frames (250 Mbit/s, 24 fps) and the
# same cores:
#   - the encoder alone (bench_encode_only_bench), on one thread and on every core;
#   - lumavox-render from 16-bit PNG files and from a movie file (ProRes 4444
#     made from them), with frames/s of the whole program, CPU use (user plus
#     system time over wall time and cores) and peak memory;
#   - opj_compress -cinema2K 24, one process per core.
#   bench/render_bench.sh [build dir, default build/release]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build/release}"
render="$build/bin/lumavox-render"
frames_tool="$build/bench/bench_j2k_encode_bench"
encoder="$build/bench/bench_encode_only_bench"
for tool in "$render" "$frames_tool" "$encoder"; do
  [ -x "$tool" ] || { echo "build $tool first (scripts/build.sh release)" >&2; exit 1; }
done
for tool in ffmpeg opj_compress /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup.sh" >&2; exit 1; }
done
frames=48
cores="$(nproc)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

echo "machine: $cores cores; load before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
"$frames_tool" --write-frames "$work" >/dev/null
ffmpeg -v error -start_number 0 -i "$work/frame%02d.ppm" -pix_fmt rgb48be -start_number 0 "$work/in%03d.png"
ffmpeg -v error -framerate 24 -start_number 0 -i "$work/in%03d.png" -c:v prores_ks -profile:v 4 \
  -pix_fmt yuv444p10le "$work/movie.mov"
ppms=("$work"/frame*.ppm)

# The encoder alone.
# "encoder-only: N frames, T threads: F frames/s, C frames per CPU second"
read -r one one_cpu < <("$encoder" 1 "${ppms[@]}" | awk '{print $6, $8}')
read -r all all_cpu < <("$encoder" "$cores" "${ppms[@]}" | awk '{print $6, $8}')
printf "encoder alone    1 thread:  %7.2f frames/s  (%.2f frames per CPU second)\n" "$one" "$one_cpu"
printf "encoder alone  %2d threads: %7.2f frames/s  (%.2f frames/s per core, %.2f frames per CPU second)\n" \
  "$cores" "$all" "$(awk -v a="$all" -v c="$cores" 'BEGIN { print a / c }')" "$all_cpu"

# OpenJPEG's encoder, one process per core.
start=$(date +%s.%N)
printf "%s\n" "${ppms[@]}" | xargs -P "$cores" -I{} \
  sh -c 'opj_compress -i "$1" -o "${1%.ppm}.j2c" -cinema2K 24 -GuardBits 1 >/dev/null 2>&1' _ {}
end=$(date +%s.%N)
opj=$(awk -v n="$frames" -v s="$start" -v e="$end" 'BEGIN { print n / (e - s) }')
printf "opj_compress  %2d processes: %7.2f frames/s\n" "$cores" "$opj"

# Whole renders.
render_one() {  # $1: label; $2...: input options
  local label="$1"; shift
  local out="$work/out_$label"
  /usr/bin/time -o "$work/time_$label" -f "%e %U %S %M" \
    "$render" "$@" --fps 24 --frames "$frames" --threads "$cores" "$out/R.DCP" >/dev/null 2>"$work/log_$label"
  read -r wall user sys peak_kb <"$work/time_$label"
  # The encoding slots: every one encodes some frame of the 48 (the plug-in's log names them).
  slots=$(grep -o 'thread_func[0-9]*: i=[0-9]*' "$out/R.log" | sed 's/.*i=//' | sort -n | tail -1)
  awk -v l="$label" -v n="$frames" -v w="$wall" -v u="$user" -v s="$sys" -v m="$peak_kb" -v c="$cores" \
    -v k="$((slots + 1))" -v e="$all" -v o="$opj" 'BEGIN {
      f = n / w
      printf "render %-6s  %2d threads: %7.2f frames/s  CPU %3.0f%% of %d cores  peak %4.0f MB (%3.0f MB per core, %3.0f per slot of %d)  %.2f x encoder alone  %.2f x opj_compress\n",
        l, c, f, 100 * (u + s) / w / c, c, m / 1024, m / 1024 / c, m / 1024 / k, k, f / e, f / o }'
  rm -rf "$out"
}
render_one png --input "$work/in%03d.png"
render_one movie --input "$work/movie.mov"
echo "load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
