// The stored options record on any bytes, as a host hands a project's record
// to the set-up: taken over, checked, summarised, stored again, and its texts
// turned into the composition description that the documents are made of.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "host/render_host.h"
#include "plugin/composition_info.h"
#include "plugin/composition_info_builder.h"
#include "plugin/output_options.h"
#include "plugin/registration.h"

namespace {

// Reads a text field of the description up to its terminating zero, so that
// the sanitizers see every byte a document would take from it; a field
// without its zero is a finding.
size_t Touch(const char* text, size_t size) {
  size_t n = 0;
  while (n < size && text[n] != '\0') ++n;
  if (n == size) std::abort();  // a field of the description without its end
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 2 * sizeof(OutputOptions)) return -1;
  lumavox_host::HostSettings settings;
  settings.comp.width = 1998;
  settings.comp.height = 1080;
  settings.comp.fps_num = 24;
  settings.comp.frames = 1;
  settings.echo = false;
  lumavox_host::RenderHost host(settings);
  host.UseEntryPoint(&EntryPointFunc);
  if (host.CallEntryPoint() != A_Err_NONE) std::abort();
  host.SetStoredOptions(std::vector<uint8_t>(data, data + size));
  const A_Err err = host.InitOutputSpec();
  AEIO_Verbiage verbiage = {};
  host.GetOutputInfo(&verbiage);
  std::vector<uint8_t> flat;
  host.GetFlatOptions(&flat);
  if (err == A_Err_NONE) {
    const std::vector<uint8_t> live = host.OptionsBytes();
    auto info = std::make_unique<DcpCompositionInfo>();
    FillCompositionInfo(*reinterpret_cast<const OutputOptions*>(live.data()), *info);
    Touch(info->issuer, sizeof info->issuer);
    Touch(info->contentTitle, sizeof info->contentTitle);
    Touch(info->annotation, sizeof info->annotation);
    Touch(info->contentKind, sizeof info->contentKind);
    Touch(info->subtitlePath, sizeof info->subtitlePath);
    Touch(info->fontFile, sizeof info->fontFile);
  }
  host.Finish();
  if (!host.state().problems.empty()) {
    std::fprintf(stderr, "the host noticed: %s\n", host.state().problems.front().c_str());
    std::abort();
  }
  return 0;
}
