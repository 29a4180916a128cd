// My_AddSoundChunk: the timeline's sound, chunk by chunk, into the two
// temporary mono files "tmpL.wav" and "tmpR.wav" of the package folder as
// 24-bit samples; once the sound reaches the composition's duration, the
// files are wrapped into the sound track file and removed. With external
// sound the first chunk has the user's channel files wrapped instead.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "package/pcm_track_file.h"
#include "package/subtitle_names.h"
#include "package/wav_header.h"
#include "platform/aesdk/aegp_suites.h"
#include "plugin/callbacks.h"
#include "plugin/debug_log.h"
#include "plugin/host_boundary.h"
#include "plugin/locked_options.h"
#include "plugin/module_errors.h"
#include "plugin/output_options.h"
#include "plugin/picture_writer_owner.h"
#include "plugin/render_report.h"
#include "plugin/sound_capture.h"
#include "plugin/suite_handler.h"
#include "plugin/write_failure.h"

namespace {

constexpr uint32_t kSoundRate = 48000;
constexpr uint32_t kTimelineSound = 1;

// Where the capture stands, kept in the render state of the record: the byte
// at 8708 (cleared by the render start) and the word at 8688, which the
// stored layout leaves unused.
enum CaptureState : A_u_char {
  kCaptureNotStarted = 0,  // no chunk yet in this render
  kCaptureRunning = 1,     // the temporary files hold `captured` sample frames
  kCaptureDone = 2,        // wrapped (or given up): later chunks are ignored
};

CaptureState State(const OutputOptions& o) { return static_cast<CaptureState>(o.reserved8708); }
void SetState(OutputOptions& o, CaptureState s) { o.reserved8708 = s; }
uint32_t Captured(const OutputOptions& o) {
  uint32_t v;
  std::memcpy(&v, o.reserved8688, sizeof v);
  return v;
}
void SetCaptured(OutputOptions& o, uint32_t v) { std::memcpy(o.reserved8688, &v, sizeof v); }

void Say(const char* text) {
  std::fputs(text, stderr);
  LogMessage(text);
}

// The two temporary files, open for one chunk. The first failure is kept:
// which file, and the system's reason.
struct TemporaryFiles {
  std::FILE* left = nullptr;
  std::FILE* right = nullptr;
  const char* failedFile = nullptr;
  int failedError = 0;
  ~TemporaryFiles() { Close(); }
  bool Open(const std::string& leftPath, const std::string& rightPath, const char* mode) {
    left = OpenOne(leftPath, kTimelineLeftFile, mode);
    right = OpenOne(rightPath, kTimelineRightFile, mode);
    return left != nullptr && right != nullptr;
  }
  // False when either file could not be completed.
  bool Close() {
    const bool leftClosed = CloseOne(&left, kTimelineLeftFile);
    return CloseOne(&right, kTimelineRightFile) && leftClosed;
  }
  bool Write(const uint8_t* l, const uint8_t* r, size_t bytes) {
    return WriteOne(left, kTimelineLeftFile, l, bytes) && WriteOne(right, kTimelineRightFile, r, bytes);
  }
  void ReportFailure() const {
    if (failedFile != nullptr) ReportWriteFailure(failedFile, failedError, "the file could not be completed");
  }

 private:
  void Failed(const char* name) {
    if (failedFile != nullptr) return;
    failedFile = name;
    failedError = errno;
  }
  std::FILE* OpenOne(const std::string& path, const char* name, const char* mode) {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (file == nullptr) Failed(name);
    return file;
  }
  bool CloseOne(std::FILE** file, const char* name) {
    if (*file == nullptr) return true;
    std::FILE* open = *file;
    *file = nullptr;
    errno = 0;
    if (std::fclose(open) == 0) return true;
    Failed(name);
    return false;
  }
  bool WriteOne(std::FILE* file, const char* name, const uint8_t* bytes, size_t count) {
    errno = 0;
    if (std::fwrite(bytes, 1, count, file) == count) return true;
    Failed(name);
    return false;
  }
};

// Removes the two files; only files: whatever else stands under their names
// was not made by the capture. One that stays would be left in the package
// folder: it is named on the standard error stream.
void RemoveTemporaryFiles(const std::string& leftPath, const std::string& rightPath) {
  for (const std::string& path : {leftPath, rightPath}) {
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && std::remove(path.c_str()) != 0) {
      std::fprintf(stderr, "My_AddSoundChunk - cannot remove the temporary sound file %s\n", path.c_str());
    }
  }
}

// Sample frames of one channel in the whole composition: the header
// declares their size in advance, and the wrap comes when they are there.
uint64_t ExpectedSampleFrames(const OutputOptions& o) {
  if (o.frameRate == 0 || !(o.durationFrames > 0.0)) return 0;
  const uint64_t perFrame = kSoundRate / o.frameRate;  // whole sample frames per picture frame
  return perFrame * static_cast<uint64_t>(o.durationFrames);
}

// Seconds as h:mm:ss.
std::string Clock(uint64_t seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", static_cast<unsigned long long>(seconds / 3600),
                static_cast<unsigned long long>(seconds / 60 % 60), static_cast<unsigned long long>(seconds % 60));
  return text;
}

// Appends `frames` sample frames of silence to both files.
bool WriteSilence(TemporaryFiles& files, uint32_t frames) {
  static const uint8_t zeros[3 * 4096] = {};
  while (frames > 0) {
    const uint32_t part = frames < 4096 ? frames : 4096;
    if (!files.Write(zeros, zeros, size_t(part) * 3)) return false;
    frames -= part;
  }
  return true;
}

// The chunk's stereo 16-bit sample frames [first, first + count) as two mono
// 24-bit channels: each sample becomes the upper two bytes (times 256).
bool WriteChunk(TemporaryFiles& files, const uint8_t* input, uint32_t first, uint32_t count) {
  std::vector<uint8_t> left, right;
  try {
    left.resize(size_t(count) * 3);
    right.resize(size_t(count) * 3);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const uint8_t* in = input + size_t(first) * 4;
  for (size_t k = 0; k < count; ++k) {
    left[3 * k] = 0;
    left[3 * k + 1] = in[4 * k];
    left[3 * k + 2] = in[4 * k + 1];
    right[3 * k] = 0;
    right[3 * k + 1] = in[4 * k + 2];
    right[3 * k + 2] = in[4 * k + 3];
  }
  return files.Write(left.data(), right.data(), left.size());
}

// The chunk's place in the sound, in sample frames from the start.
uint64_t ChunkPosition(const A_Time& start) {
  if (start.value <= 0 || start.scale == 0) return 0;
  return uint64_t(start.value) * kSoundRate / start.scale;
}

// One chunk of timeline sound into the temporary files; the wrap once the
// files hold the whole composition. 0 or 9997.
A_Err CaptureTimelineChunk(OutputOptions& o, A_short channels, uint64_t position, A_u_long sampleFrames,
                           const uint8_t* samples) {
  if (State(o) == kCaptureDone) return A_Err_NONE;
  const std::string leftPath = std::string(o.folderPath) + "/" + kTimelineLeftFile;
  const std::string rightPath = std::string(o.folderPath) + "/" + kTimelineRightFile;
  const uint64_t expected = ExpectedSampleFrames(o);

  TemporaryFiles files;
  if (State(o) == kCaptureNotStarted) {
    // The header counts the 16-bit samples of both channels; its data size,
    // 3 bytes a sample frame, is that of one channel at 24 bits. The render
    // start refused a composition whose sizes the header cannot hold.
    uint8_t header[kWavHeaderSize];
    if (!MakeWavHeader(header, 1, kSoundRate, expected * static_cast<uint64_t>(channels))) {
      Say("My_AddSoundChunk - the sound is too long for the temporary sound files\n");
      SetState(o, kCaptureDone);
      return kErrWrite;
    }
    if (!files.Open(leftPath, rightPath, "wb") || !files.Write(header, header, sizeof header)) {
      Say("My_AddSoundChunk - cannot create the temporary sound files\n");
      files.Close();
      files.ReportFailure();
      RemoveTemporaryFiles(leftPath, rightPath);
      SetState(o, kCaptureDone);
      return kErrWrite;
    }
    SetState(o, kCaptureRunning);
    SetCaptured(o, 0);
  } else if (!files.Open(leftPath, rightPath, "ab")) {
    Say("My_AddSoundChunk - cannot open the temporary sound files\n");
    files.Close();
    files.ReportFailure();
    RemoveTemporaryFiles(leftPath, rightPath);
    SetState(o, kCaptureDone);
    return kErrWrite;
  }

  // The chunk goes where its start time says: a gap before it becomes
  // silence, a part already captured is not written twice, and nothing goes
  // past the composition's end.
  uint32_t captured = Captured(o);
  bool ok = true;
  if (position > captured) {
    const uint32_t gap = static_cast<uint32_t>(std::min(position, expected) - std::min<uint64_t>(captured, expected));
    ok = WriteSilence(files, gap);
    captured += gap;
  }
  const uint64_t skip = captured > position ? captured - position : 0;
  if (ok && skip < sampleFrames && captured < expected) {
    const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(sampleFrames - skip, expected - captured));
    ok = WriteChunk(files, samples, static_cast<uint32_t>(skip), count);
    captured += count;
  }
  if (!files.Close()) ok = false;
  SetCaptured(o, captured);
  if (!ok) {
    Say("My_AddSoundChunk - writing the temporary sound files failed\n");
    files.ReportFailure();
    RemoveTemporaryFiles(leftPath, rightPath);
    SetState(o, kCaptureDone);
    return kErrWrite;
  }
  if (captured < expected) return A_Err_NONE;

  Say("WRAP IT FROM TIMELINE!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!\n\n");
  A_Err err = A_Err_NONE;
  if (write_PCM_file(&o).Failure()) {
    LogMessage("Write -write_PCM_file failed-\n");
    err = kErrWrite;
  }
  RemoveTemporaryFiles(leftPath, rightPath);
  SetState(o, kCaptureDone);
  return err;
}

A_Err AddSoundChunk(AEIO_BasicData* basic, AEIO_OutSpecH outH, const A_Time* start, A_u_long sampleFrames,
                    const void* data) {
  const A_Time when = start != nullptr ? *start : A_Time{0, 1};
  const A_u_long second = when.scale != 0 ? static_cast<A_u_long>(when.value) / when.scale : 0;
  Say("entering - My_AddSoundChunk\n");

  SuiteHandler suites(basic->pica_basicP);
  LockedOptions locked(suites, outH);
  A_Err err = locked.err;
  OutputOptions* options = locked.options;
  // The sound of an output whose render does not run goes nowhere (its
  // record's folder is not this render's).
  if (!err && options != nullptr) err = RefuseUnlessRendering(basic, locked.handle, "sound");

  if (!err && options != nullptr) {
    OutputOptions& o = *options;
    if (o.audioSource == kTimelineSound) {
      AEIO_SndChannels channels = 0;
      AEIO_SndSampleSize sampleSize = 0;
      err = suites.IOOutSuite7()->AEGP_GetOutSpecSoundChannels(outH, &channels);
      if (!err) err = suites.IOOutSuite7()->AEGP_GetOutSpecSoundSampleSize(outH, &sampleSize);
      const double seconds = o.frameRate ? o.durationFrames / o.frameRate : 0.0;
      char text[3][128];
      std::snprintf(text[0], sizeof text[0], "My_AddSoundChunk - DURATION in seconds: %f\n", seconds);
      std::snprintf(text[1], sizeof text[1], "My_AddSoundChunk - SECOND NO: %d\n", static_cast<int>(second + 1));
      std::snprintf(text[2], sizeof text[2], "My_AddSoundChunk - NumChannels: %d SampleSize: %d\n", channels,
                    sampleSize);
      for (const char* t : text) Say(t);
      if (!err) {
        if (channels != 2 || sampleSize != 2 || (data == nullptr && sampleFrames > 0)) {
          // The render start asks for 16-bit stereo; anything else cannot be
          // split into the two files.
          Say("My_AddSoundChunk - the sound is not 16-bit stereo\n");
          char message[160] = "The sound cannot be captured: the host gives a chunk without its samples.";
          if (channels != 2 || sampleSize != 2) {
            std::snprintf(message, sizeof message,
                          "The sound cannot be captured: the host gives %d channel(s) of %d byte(s) a sample, not "
                          "16-bit stereo.",
                          static_cast<int>(channels), static_cast<int>(sampleSize));
          }
          ShowMessage(basic, message);
          err = kErrWrite;
        } else {
          err = CaptureTimelineChunk(o, channels, ChunkPosition(when), sampleFrames, static_cast<const uint8_t*>(data));
        }
      }
    } else if (State(o) == kCaptureNotStarted) {
      SetState(o, kCaptureDone);
      // A file that the check of a chosen channel file refuses, or an
      // in-point beyond the files (only silence): the user is told, and
      // nothing is written.
      char message[kExternalSoundMessageSize];
      if (CheckExternalSound(o, message, sizeof message) != 0) {
        ShowMessage(basic, message);
        err = kErrWrite;
      } else {
        Say("WRAP IT FROM EXTERNAL FILES!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!\n\n");
        if (write_PCM_file(&o).Failure()) err = kErrWrite;
      }
    }
  }

  const A_Err unlockErr = locked.lock.Unlock();
  if (!err) err = unlockErr;
  Say("leaving - My_AddSoundChunk\n");
  return err;
}

}  // namespace

void RemoveUnwrappedSound(OutputOptions& options) {
  if (State(options) != kCaptureRunning) return;
  const std::string folder = FieldText(options.folderPath, sizeof options.folderPath);
  RemoveTemporaryFiles(folder + "/" + kTimelineLeftFile, folder + "/" + kTimelineRightFile);
  SetState(options, kCaptureDone);
  Say("The temporary sound files are removed: the render ended before its sound was complete\n");
}

std::string TemporarySoundFault(const OutputOptions& options) {
  if (options.audioSource != kTimelineSound || options.frameRate == 0) return std::string();
  const uint64_t dataSize = 3 * ExpectedSampleFrames(options);
  if (dataSize <= kWavMaxDataSize) return std::string();
  const auto frames = static_cast<unsigned long long>(options.durationFrames);
  const unsigned long long mostFrames = kWavMaxDataSize / 3 / (kSoundRate / options.frameRate);
  const unsigned long long fileSize = dataSize + kWavHeaderSize;
  char text[512];
  std::snprintf(text, sizeof text,
                "The composition lasts %llu frames (%s at %u fps): too long for its sound from the timeline, which "
                "is kept in two temporary WAV files of %llu bytes each, more than the 4 GiB a WAV file can hold (at "
                "most %llu frames at %u fps).\n Please render a shorter composition, or choose external audio files "
                "in the option dialog.\n",
                frames, Clock(frames / options.frameRate).c_str(), unsigned(options.frameRate), fileSize, mostFrames,
                unsigned(options.frameRate));
  return text;
}

A_Err My_AddSoundChunk(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, const A_Time* start, A_u_long num_samplesLu,
                       const void* dataPV) {
  const A_Err err = CallFromHost([&] { return AddSoundChunk(basic_dataP, outH, start, num_samplesLu, dataPV); });
  ShowWriteFailure(basic_dataP);
  return err;
}
