#include "tests/package/subtitle_render_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "package/subtitle_check.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;

namespace subtitle_test {

std::string Reference(const std::string& name) { return lumavox_test::SharedDir() + "/reference/subtitles/" + name; }

std::unique_ptr<RenderHost> SetUpHost(const std::string& outputPath, int frames, int threads, int fps) {
  HostSettings s;
  s.comp.frames = frames;
  s.comp.fps_num = fps;
  s.output_path = outputPath;
  s.threads = threads;
  s.echo = false;
  auto host = std::make_unique<RenderHost>(s);
  host->Load(lumavox_test::PluginPath());
  EXPECT_EQ(host->CallEntryPoint(), 0);
  EXPECT_EQ(host->InitOutputSpec(), 0);
  return host;
}

OutputOptions& LiveOptions(RenderHost& host) {
  MemBlock* block = host.state().Find(host.state().spec.options);
  return *reinterpret_cast<OutputOptions*>(block->bytes.data());
}

std::string Messages(RenderHost& host) {
  std::string all;
  for (const std::string& m : host.state().messages) all += m + "\n";
  return all;
}

void ChooseSubtitle(OutputOptions& options, const std::string& path, uint32_t packing) {
  const A_u_long renderPacking = options.packing;
  options.packing = packing;
  char message[kSubtitleMessageSize] = "";
  EXPECT_EQ(CheckSubtitleFile(path.c_str(), &options, message), 1) << message;
  std::snprintf(options.subtitlePath, sizeof options.subtitlePath, "%s", path.c_str());
  options.subtitleOn = 1;
  options.packing = renderPacking;
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace subtitle_test
