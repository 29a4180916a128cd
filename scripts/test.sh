#!/usr/bin/env bash
# Installs what is missing, builds the plain, the address/undefined and the
# thread sanitizer trees, checks the code's format and runs static analysis
# over the plain tree (scripts/lint.sh), runs every test in the first two and
# the tests of the render's and the dialogs' threads (with some of every test
# program) in the third, then fuzzes the parsers for a bounded time
# (LUMAVOX_FUZZ_SECONDS each, default 45; 0 skips).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
jobs="$(nproc)"
status=0
# Where threads meet: the encoding threads of the render (renders of a
# few frames: every access of the encoder is checked, which is slow), once
# for each way a render meets them (stereoscopic, stopped, ended with frames
# still encoding, a failed write or encode, a writer left open, a second
# output; sound capture and subtitle packaging run on the host's thread and
# are left to the other trees), the digest worker and its dialog, the
# options dialogs and the host's threads (the movie and picture readers,
# the scaler, the dialog script's player and the log's copier);
# and the encoder's wavelet and slot tests and its helpers coding code-blocks,
# so that every test program runs under the sanitizer. The longest renders
# encode only a few frames under the sanitizers (tests/support/test_support.h,
# kSanitized); each render there takes some 4 GB of memory.
threaded='^(RenderPipeline\.(AStopped|FramesStillBuffered|Stereoscopic|AFailedWrite|AFailedEncode|AWriterLeftOpen|TwoOutputs)|RenderHostTest|RenderProgram\.(RendersAMovieInput|AnImageSequence|OptionsFileIsHanded|TheLogBeside)|Scaler|DigestDialog|SubtitleRenderStart|OptionsDialog|AudioPage|SubtitlePage|GeneralPage|VideoPage|TitleBuilder|DialogLayer|DialogControls|Wavelet|EncodingSlot|DecodeAhead|MemoryReleaser|Codestream\.Helpers)\.?'
for kind in release asan tsan; do
  "$here/scripts/build.sh" "$kind"
  if [ "$kind" = release ]; then
    # Format and static analysis over the release tree's compile commands; a
    # failure fails the run, but the tests still run.
    "$here/scripts/lint.sh" "$here/build/release" || status=1
  fi
  echo "== tests ($kind build)"
  selection=()
  case "$kind" in
    asan)
      export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
      export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
      ;;
    tsan)
      unset ASAN_OPTIONS UBSAN_OPTIONS
      export TSAN_OPTIONS="second_deadlock_stack=1:suppressions=$here/tests/thread_sanitizer.supp"
      selection=(-R "$threaded")
      ;;
  esac
  ctest --test-dir "$here/build/$kind" --output-on-failure -j "$jobs" "${selection[@]}" || status=1
done
seconds="${LUMAVOX_FUZZ_SECONDS:-45}"
if [ "$seconds" != 0 ]; then
  echo "== fuzzing (${seconds} s each)"
  "$here/scripts/fuzz.sh" "$seconds" || status=1
fi
exit $status
