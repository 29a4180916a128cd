#!/usr/bin/env bash
# Builds the parsers' fuzzers (clang, libFuzzer, address and undefined
# sanitizers) and runs each for a bounded time, all three at once:
#   scripts/fuzz.sh [seconds per fuzzer, default 45]
# The inputs of tests/fuzz/regressions/<fuzzer>/ run first; the corpora grow
# in build/fuzz/corpus/. Fails when a fuzzer finds a crash (the input is kept
# as build/fuzz/<fuzzer>-crash-*).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-${LUMAVOX_FUZZ_SECONDS:-45}}"
reference="$here/../shared/reference"
"$here/scripts/build.sh" fuzz
out="$here/build/fuzz"

# Seeds: the reference WAV files and subtitle documents, and a stored record
# as the render host's options dialog stores it (a record of version 7 with
# every setting zero when there is no built render host).
for name in wav subtitle record; do mkdir -p "$out/corpus/$name" "$out/seeds/$name"; done
cp -f "$reference"/wav/*.wav "$out/seeds/wav/"
cp -f "$reference"/subtitles/*/*.xml "$out/seeds/subtitle/"
if [ ! -s "$out/seeds/record/stored.bin" ]; then
  render="$here/build/release/bin/lumavox-render"
  scratch="$(mktemp -d)"
  if [ -x "$render" ] && echo "press OK" | "$render" --dialog-script - --size 1920x1080 --options "$scratch/stored.bin" \
       >/dev/null 2>&1; then
    cp "$scratch/stored.bin" "$out/seeds/record/stored.bin"
  else
    { printf '\007\000\000\000'; head -c 11684 /dev/zero; } > "$out/seeds/record/stored.bin"
  fi
  rm -rf "$scratch"
fi

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run() {
  local name="$1" max_len="$2"
  local log="$out/$name.log"
  local regressions="$here/tests/fuzz/regressions/$name"
  if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
    "$out/tests/fuzz/fuzz_$name" "$regressions"/* >"$out/$name-regressions.log" 2>&1 ||
      { echo "fuzz $name: a regression input fails (see $out/$name-regressions.log)"; return 1; }
  fi
  "$out/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -max_len="$max_len" -print_final_stats=1 \
    -close_fd_mask=1 -artifact_prefix="$out/$name-" "$out/corpus/$name" "$out/seeds/$name" >"$log" 2>&1 || {
    echo "fuzz $name: FAILED after $(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$' || echo '?') executions; see $log"
    grep -E "^==[0-9]+==ERROR|SUMMARY|runtime error" "$log" | head -5
    return 1
  }
  local runs corpus
  runs="$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$')"
  corpus="$(ls "$out/corpus/$name" | wc -l)"
  echo "fuzz $name: $runs executions in ${seconds} s, corpus of $corpus inputs, no crash"
}
status=0
run wav 65536 & wav=$!
run subtitle 16384 & subtitle=$!
run record 12000 & record=$!
wait $wav || status=1
wait $subtitle || status=1
wait $record || status=1
exit $status
