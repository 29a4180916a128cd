#include "host/host_state.h"

#include <cstdio>
#include <cstdlib>

namespace lumavox_host {

namespace {

HostState* g_current = nullptr;

// Distinct addresses that stand for the host's objects.
struct Tags {
  char project, item, comp, rq_item;
} g_tags;

}  // namespace

HostState::HostState() : host_thread(std::this_thread::get_id()) {
  if (g_current) {
    std::fprintf(stderr, "lumavox-render: only one host can exist at a time\n");
    std::abort();
  }
  g_current = this;
}

HostState::~HostState() { g_current = nullptr; }

HostState& HostState::Current() {
  if (!g_current) {
    std::fprintf(stderr, "lumavox-render: a host suite was called while no host exists\n");
    std::abort();
  }
  return *g_current;
}

void HostState::Problem(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex);
  problems.push_back(text);
  if (echo) {
    std::fprintf(Terminal(), "lumavox-render: plug-in fault: %s\n", text.c_str());
    std::fflush(Terminal());
  }
}

void HostState::Message(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex);
  messages.push_back(text);
  if (echo) {
    std::fprintf(Terminal(), "lumavox-render: message from the plug-in:\n%s\n", text.c_str());
    std::fflush(Terminal());
  }
}

void HostState::CheckHostThread(const char* function) {
  if (std::this_thread::get_id() != host_thread) Problem(std::string(function) + " was called from a worker thread");
}

AEGP_MemHandle HostState::NewHandle(const std::string& name, AEGP_PluginID id, size_t size, bool host_owned) {
  auto block = std::make_unique<MemBlock>();
  block->name = name;
  block->plugin_id = id;
  block->bytes.resize(size);
  block->host_owned = host_owned;
  auto h = reinterpret_cast<AEGP_MemHandle>(block.get());
  handles[h] = std::move(block);
  ++handles_made[name];
  return h;
}

MemBlock* HostState::Find(AEGP_MemHandle h) {
  auto it = handles.find(h);
  if (it == handles.end()) {
    Problem(h ? "a memory handle that the host never made (or already freed) was used"
              : "a null memory handle was used");
    return nullptr;
  }
  return it->second.get();
}

A_Err HostState::FreeHandle(AEGP_MemHandle h) {
  MemBlock* b = Find(h);
  if (!b) return A_Err_PARAMETER;
  if (b->locks > 0) Problem("handle \"" + b->name + "\" was freed while locked");
  auto it = handles.find(h);
  std::unique_ptr<MemBlock> block = std::move(it->second);
  handles.erase(it);
  // A block of a megabyte or more takes its time to unmap.
  if (block->bytes.size() >= (size_t{1} << 20)) releaser.Release(std::move(block));
  return A_Err_NONE;
}

OutputSpecState* HostState::FindOutput(AEIO_OutSpecH outH) {
  for (size_t k = 0; k < output_count(); ++k)
    if (outH == OutSpecHandle(k)) return &Output(k);
  return nullptr;
}

OutputSpecState* HostState::FindOutputModule(AEGP_OutputModuleRefH module) {
  for (size_t k = 0; k < output_count(); ++k)
    if (module == OutputModuleRef(k)) return &Output(k);
  return nullptr;
}

AEGP_ProjectH HostProject() { return reinterpret_cast<AEGP_ProjectH>(&g_tags.project); }
AEGP_ItemH HostCompItem() { return reinterpret_cast<AEGP_ItemH>(&g_tags.item); }
AEGP_CompH HostComp() { return reinterpret_cast<AEGP_CompH>(&g_tags.comp); }
AEGP_RQItemRefH HostRQItem() { return reinterpret_cast<AEGP_RQItemRefH>(&g_tags.rq_item); }

}  // namespace lumavox_host
