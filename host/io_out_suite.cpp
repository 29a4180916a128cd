// "AEGP IO Out Suite" 7: the output specifications of the outputs this host
// renders: options handle, file path (UTF-16 in a new handle), frame rate,
// depth, duration, size, sound format, alpha label, render-queue item.
#include <cstring>

#include "host/host_state.h"
#include "platform/text/utf8_decode.h"

namespace lumavox_host {

namespace {

// The output that `outH` stands for; null, with a problem and
// A_Err_PARAMETER in *err, for a handle the host never gave.
OutputSpecState* Spec(AEIO_OutSpecH outH, const char* function, A_Err* err) {
  HostState& h = HostState::Current();
  h.CheckHostThread(function);
  *err = A_Err_NONE;
  OutputSpecState* spec = h.FindOutput(outH);
  if (spec == nullptr) {
    h.Problem(std::string(function) + " with an output specification the host never gave");
    *err = A_Err_PARAMETER;
  }
  return spec;
}

// UTF-8 to UTF-16 (surrogate pairs above the basic plane). A byte that
// begins no well-formed UTF-8 character becomes U+FFFD on its own, and the
// bytes after it are read afresh; a surrogate written in UTF-8's form (as
// WTF-8 does) becomes that lone unit, which a host's path may hold. The
// render program refuses an output path that is not UTF-8 before any output
// is made; the host's tests hand the plug-in such paths.
std::vector<A_UTF16Char> Utf16(const std::string& text) {
  std::vector<A_UTF16Char> out;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = 0xFFFD;  // unless the bytes here begin a character
    size_t length = DecodeUtf8(bytes + i, text.size() - i, &cp);
    if (length == 0 && text.size() - i >= 3 && bytes[i] == 0xED && (bytes[i + 1] & 0xE0) == 0xA0 &&
        (bytes[i + 2] & 0xC0) == 0x80) {
      cp = 0xD000 | ((bytes[i + 1] & 0x3Fu) << 6) | (bytes[i + 2] & 0x3Fu);
      length = 3;
    }
    i += length == 0 ? 1 : length;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<A_UTF16Char>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<A_UTF16Char>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<A_UTF16Char>(cp));
    }
  }
  out.push_back(0);
  return out;
}

A_Err GetOptionsHandle(AEIO_OutSpecH outH, AEIO_Handle* optionsPH) {
  A_Err err;
  OutputSpecState* spec = Spec(outH, "AEGP_GetOutSpecOptionsHandle", &err);
  if (err || !optionsPH) return err ? err : A_Err_PARAMETER;
  *optionsPH = spec->options;
  return A_Err_NONE;
}

A_Err SetOptionsHandle(AEIO_OutSpecH outH, AEIO_Handle new_optionsH, AEIO_Handle* old_optionsPH) {
  A_Err err;
  HostState& h = HostState::Current();
  OutputSpecState* spec = Spec(outH, "AEGP_SetOutSpecOptionsHandle", &err);
  if (err) return err;
  if (new_optionsH && !h.Find(new_optionsH)) return A_Err_PARAMETER;
  if (old_optionsPH) *old_optionsPH = spec->options;
  else if (spec->options) h.Problem("AEGP_SetOutSpecOptionsHandle without taking back the old handle");
  spec->options = new_optionsH;
  return A_Err_NONE;
}

A_Err GetFilePath(AEIO_OutSpecH outH, AEGP_MemHandle* unicode_pathPH) {
  A_Err err;
  HostState& h = HostState::Current();
  OutputSpecState* spec = Spec(outH, "AEGP_GetOutSpecFilePath", &err);
  if (err || !unicode_pathPH) return err ? err : A_Err_PARAMETER;
  auto text = Utf16(spec->path_utf8);
  AEGP_MemHandle mh = h.NewHandle("Output File Path", 0, text.size() * sizeof(A_UTF16Char), true);
  std::memcpy(h.handles[mh]->bytes.data(), text.data(), text.size() * sizeof(A_UTF16Char));
  *unicode_pathPH = mh;
  return A_Err_NONE;
}

A_Err GetFPS(AEIO_OutSpecH outH, A_Fixed* native_fpsP) {
  A_Err err;
  OutputSpecState* spec = Spec(outH, "AEGP_GetOutSpecFPS", &err);
  if (err || !native_fpsP) return err ? err : A_Err_PARAMETER;
  *native_fpsP = spec->fps;
  return A_Err_NONE;
}

A_Err GetDepth(AEIO_OutSpecH outH, A_short* depthPS) {
  A_Err err;
  OutputSpecState* spec = Spec(outH, "AEGP_GetOutSpecDepth", &err);
  if (err || !depthPS) return err ? err : A_Err_PARAMETER;
  *depthPS = spec->depth;
  return A_Err_NONE;
}

A_Err SetAlphaLabel(AEIO_OutSpecH outH, const AEIO_AlphaLabel* alpha_labelP) {
  A_Err err;
  OutputSpecState* spec = Spec(outH, "AEGP_SetOutSpecAlphaLabel", &err);
  if (err || !alpha_labelP) return err ? err : A_Err_PARAMETER;
  spec->alpha_label = *alpha_labelP;
  spec->alpha_label_set = true;
  return A_Err_NONE;
}

A_Err GetDuration(AEIO_OutSpecH outH, A_Time* full_durationPT) {
  A_Err err;
  OutputSpecState* spec = Spec(outH, "AEGP_GetOutSpecDuration", &err);
  if (err || !full_durationPT) return err ? err : A_Err_PARAMETER;
  *full_durationPT = spec->duration;
  return A_Err_NONE;
}

A_Err GetDimensions(AEIO_OutSpecH outH, A_long* widthPL, A_long* heightPL) {
  A_Err err;
  OutputSpecState* spec = Spec(outH, "AEGP_GetOutSpecDimensions", &err);
  if (err || !widthPL || !heightPL) return err ? err : A_Err_PARAMETER;
  *widthPL = spec->width;
  *heightPL = spec->height;
  return A_Err_NONE;
}

A_Err SetSoundRate(AEIO_OutSpecH outH, A_FpLong rateF) {
  A_Err err;
  OutputSpecState* spec = Spec(outH, "AEGP_SetOutSpecSoundRate", &err);
  if (!err) spec->sound_rate = rateF;
  return err;
}

A_Err SetSoundEncoding(AEIO_OutSpecH outH, AEIO_SndEncoding encoding) {
  A_Err err;
  OutputSpecState* spec = Spec(outH, "AEGP_SetOutSpecSoundEncoding", &err);
  if (!err) spec->sound_encoding = encoding;
  return err;
}

A_Err GetSampleSize(AEIO_OutSpecH outH, AEIO_SndSampleSize* bytes_per_sampleP) {
  A_Err err;
  OutputSpecState* spec = Spec(outH, "AEGP_GetOutSpecSoundSampleSize", &err);
  if (err || !bytes_per_sampleP) return err ? err : A_Err_PARAMETER;
  *bytes_per_sampleP = spec->sample_size;
  return A_Err_NONE;
}

A_Err SetSampleSize(AEIO_OutSpecH outH, AEIO_SndSampleSize bytes_per_sample) {
  A_Err err;
  HostState& h = HostState::Current();
  OutputSpecState* spec = Spec(outH, "AEGP_SetOutSpecSoundSampleSize", &err);
  if (err) return err;
  if (bytes_per_sample != 2) {
    h.Problem("this host delivers 2-byte samples only; the plug-in asked for " + std::to_string(bytes_per_sample));
    return A_Err_PARAMETER;
  }
  spec->sample_size = bytes_per_sample;
  return A_Err_NONE;
}

A_Err GetChannels(AEIO_OutSpecH outH, AEIO_SndChannels* num_channelsP) {
  A_Err err;
  OutputSpecState* spec = Spec(outH, "AEGP_GetOutSpecSoundChannels", &err);
  if (err || !num_channelsP) return err ? err : A_Err_PARAMETER;
  *num_channelsP = spec->channels;
  return A_Err_NONE;
}

A_Err SetChannels(AEIO_OutSpecH outH, AEIO_SndChannels num_channels) {
  A_Err err;
  HostState& h = HostState::Current();
  OutputSpecState* spec = Spec(outH, "AEGP_SetOutSpecSoundChannels", &err);
  if (err) return err;
  if (num_channels != 2) {
    h.Problem("this host delivers stereo sound only; the plug-in asked for " + std::to_string(num_channels) +
              " channels");
    return A_Err_PARAMETER;
  }
  spec->channels = num_channels;
  return A_Err_NONE;
}

A_Err GetOutputModule(AEIO_OutSpecH outH, AEGP_RQItemRefH* rq_itemP, AEGP_OutputModuleRefH* om_refP) {
  A_Err err;
  OutputSpecState* spec = Spec(outH, "AEGP_GetOutSpecOutputModule", &err);
  if (err || !rq_itemP || !om_refP) return err ? err : A_Err_PARAMETER;
  *rq_itemP = HostRQItem();
  *om_refP = reinterpret_cast<AEGP_OutputModuleRefH>(&spec->module_tag);
  return A_Err_NONE;
}

AEGP_IOOutSuite7 MakeSuite() {
  AEGP_IOOutSuite7 s;
  FillWithTraps(&s, sizeof s, kAEGPIOOutSuite, 7);
  s.AEGP_GetOutSpecOptionsHandle = GetOptionsHandle;
  s.AEGP_SetOutSpecOptionsHandle = SetOptionsHandle;
  s.AEGP_GetOutSpecFilePath = GetFilePath;
  s.AEGP_GetOutSpecFPS = GetFPS;
  s.AEGP_GetOutSpecDepth = GetDepth;
  s.AEGP_SetOutSpecAlphaLabel = SetAlphaLabel;
  s.AEGP_GetOutSpecDuration = GetDuration;
  s.AEGP_GetOutSpecDimensions = GetDimensions;
  s.AEGP_SetOutSpecSoundRate = SetSoundRate;
  s.AEGP_SetOutSpecSoundEncoding = SetSoundEncoding;
  s.AEGP_GetOutSpecSoundSampleSize = GetSampleSize;
  s.AEGP_SetOutSpecSoundSampleSize = SetSampleSize;
  s.AEGP_GetOutSpecSoundChannels = GetChannels;
  s.AEGP_SetOutSpecSoundChannels = SetChannels;
  s.AEGP_GetOutSpecOutputModule = GetOutputModule;
  return s;
}

}  // namespace

const AEGP_IOOutSuite7* HostIOOutSuite() {
  static const AEGP_IOOutSuite7 suite = MakeSuite();
  return &suite;
}

}  // namespace lumavox_host
