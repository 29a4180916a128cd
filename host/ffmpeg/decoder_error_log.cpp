#include "host/ffmpeg/decoder_error_log.h"

#include <cstdio>
#include <mutex>
#include <set>

extern "C" {
#include <libavutil/log.h>
}

namespace lumavox_host {

namespace {

// The logs that listen: a codec's `opaque` is taken for one only when it is
// among them. The mutex also guards their texts. Both outlive the program's
// end, where a decoder's threads may still log.
std::mutex g_mutex;
std::set<const DecoderErrorLog*>& Listening() {
  static auto* logs = new std::set<const DecoderErrorLog*>;
  return *logs;
}

}  // namespace

void DecoderErrorLog::Take(void* object, int level, const char* format, va_list args) {
  if (object != nullptr && (level & 0xFF) <= AV_LOG_ERROR &&
      *static_cast<const AVClass* const*>(object) == avcodec_get_class()) {
    auto* log = static_cast<DecoderErrorLog*>(static_cast<const AVCodecContext*>(object)->opaque);
    std::lock_guard<std::mutex> lock(g_mutex);
    if (Listening().count(log) != 0 && log->first_.empty()) {
      char text[512];
      va_list copy;
      va_copy(copy, args);
      std::vsnprintf(text, sizeof text, format, copy);
      va_end(copy);
      log->first_ = text;
      while (!log->first_.empty() && (log->first_.back() == '\n' || log->first_.back() == ' ')) log->first_.pop_back();
      if (log->first_.empty()) log->first_ = "an error";
    }
  }
  av_log_default_callback(object, level, format, args);
}

DecoderErrorLog::~DecoderErrorLog() {
  std::lock_guard<std::mutex> lock(g_mutex);
  Listening().erase(this);
}

void DecoderErrorLog::Listen(AVCodecContext* codec) {
  static std::once_flag installed;
  std::call_once(installed, [] { av_log_set_callback(&DecoderErrorLog::Take); });
  codec->opaque = this;
  std::lock_guard<std::mutex> lock(g_mutex);
  Listening().insert(this);
}

std::string DecoderErrorLog::First() const {
  std::lock_guard<std::mutex> lock(g_mutex);
  return first_;
}

}  // namespace lumavox_host
