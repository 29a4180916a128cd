#include "host/render_program.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

#include "host/composition.h"
#include "host/frame_source.h"
#include "host/media_input.h"
#include "host/progress.h"

namespace lumavox_host {

int RunRenderProgram(const CommandLine& cl) {
  std::unique_ptr<FrameSource> source;
  Composition comp;
  try {
    if (!cl.input.empty()) {
      auto media = std::make_unique<MediaInput>(cl.input);
      comp = ResolveComposition(cl, &media->info());
      media->SetCompositionRate(comp.fps_num, comp.fps_den);
      source = std::move(media);
    } else {
      comp = ResolveComposition(cl, nullptr);
      source = MakePatternSource();
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lumavox-render: %s\n", e.what());
    return 2;
  }
  std::fprintf(stderr, "lumavox-render: composition \"%s\" %dx%d, %.3f fps, %lld frames, %d bits per channel\n",
               comp.name.c_str(), comp.width, comp.height, comp.Fps(), static_cast<long long>(comp.frames),
               comp.depth);
  Progress progress;
  progress.Start(comp.frames);
  try {
    HostFrame frame;
    frame.Allocate(comp.width, comp.height, comp.depth);
    for (int64_t i = 0; i < comp.frames; ++i) {
      source->RenderFrame(i, frame);
      progress.FrameDone(i + 1);
    }
    for (int64_t s = 0; s < comp.SoundSeconds(); ++s) source->Sound(s * 48000, 48000);
  } catch (const std::exception& e) {
    progress.Finish("failed");
    std::fprintf(stderr, "lumavox-render: %s\n", e.what());
    return 1;
  }
  progress.Finish("done");
  return 0;
}

}  // namespace lumavox_host
