// The state behind the host's suites. The suites are plain function tables,
// so their functions reach the one host of the process through HostState::
// Current(). Only the render host (host/render_host.h) creates one.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "host/memory_releaser.h"
#include "host/zeroed_bytes.h"
#include "platform/aesdk/aegp_suites.h"
#include "platform/aesdk/aeio_module.h"

namespace lumavox_host {

// A host memory handle: a named block with a lock count.
struct MemBlock {
  std::string name;
  AEGP_PluginID plugin_id = 0;
  ZeroedBytes bytes;  // never reallocated while locked
  int locks = 0;
  bool host_owned = false;  // made by the host (stored options, file path)
};

// What the output specification holds and what the plug-in set on it.
struct OutputSpecState {
  AEIO_Handle options = nullptr;
  std::string path_utf8;
  A_Fixed fps = 24 << 16;
  A_short depth = 48;  // 24: 8 bits per channel, 48: 16 bits per channel
  A_Time duration = {240, 24};
  A_long width = 1998, height = 1080;
  // Set by the plug-in (zero until then).
  A_FpLong sound_rate = 0;
  AEIO_SndEncoding sound_encoding = 0;
  AEIO_SndSampleSize sample_size = 2;
  AEIO_SndChannels channels = 2;
  bool alpha_label_set = false;
  AEIO_AlphaLabel alpha_label = {};
  // What the handles of the output specification and of its output module
  // point at.
  char spec_tag = 0;
  char module_tag = 0;
};

struct SuiteCount {
  int acquired = 0;
  int released = 0;
};
using SuiteKey = std::pair<std::string, A_long>;

class HostState {
 public:
  HostState();
  ~HostState();
  HostState(const HostState&) = delete;
  HostState& operator=(const HostState&) = delete;

  // The host of this process; aborts with a message when there is none.
  static HostState& Current();

  // A fault of the plug-in that the host noticed (kept for tests, printed).
  void Problem(const std::string& text);
  // A text the plug-in showed to the user (message function or report).
  void Message(const std::string& text);

  // Suite calls must come from the host's thread; a call from a worker is a
  // fault of the plug-in.
  void CheckHostThread(const char* function);

  // Memory.
  AEGP_MemHandle NewHandle(const std::string& name, AEGP_PluginID id, size_t size, bool host_owned);
  MemBlock* Find(AEGP_MemHandle h);  // null (and a problem) for unknown handles
  A_Err FreeHandle(AEGP_MemHandle h);

  std::mutex mutex;  // guards problems, messages and the counters used from workers
  std::thread::id host_thread;
  std::vector<std::string> problems;
  std::vector<std::string> messages;
  bool echo = true;               // print messages and problems on the terminal
  std::FILE* terminal = nullptr;  // where they are printed; null: standard error
  std::FILE* Terminal() const { return terminal != nullptr ? terminal : stderr; }

  std::map<AEGP_MemHandle, std::unique_ptr<MemBlock>> handles;
  std::map<std::string, int> handles_made;  // by name, over the host's life
  // A handle that the memory suite refuses, as when the memory is not there
  // (tests set it): the `count`-th handle named `name` asked for from now
  // (1: the next). The suite throws std::bad_alloc, as it does when the
  // system has no memory for a block, or, unless `thrown`, returns
  // A_Err_ALLOC.
  struct HandleRefusal {
    std::string name;
    int count = 1;
    bool thrown = true;
  };
  std::optional<HandleRefusal> handle_refusal;
  // Large blocks freed by the plug-in, and the host's own large buffers once
  // a render is done with them, go back to the system from here.
  MemoryReleaser releaser;

  // Suite accounting: offered suites, those a test withholds, and the counts
  // of the callback running now.
  std::set<SuiteKey> withheld;
  std::map<SuiteKey, SuiteCount> counts;
  std::map<SuiteKey, SuiteCount> total_counts;

  // The outputs of the render-queue item: the first, and those added after it
  // (each its own output module of this plug-in).
  OutputSpecState spec;
  std::deque<OutputSpecState> more_outputs;
  size_t output_count() const { return 1 + more_outputs.size(); }
  OutputSpecState& Output(size_t k) { return k == 0 ? spec : more_outputs.at(k - 1); }
  AEIO_OutSpecH OutSpecHandle(size_t k) { return reinterpret_cast<AEIO_OutSpecH>(&Output(k).spec_tag); }
  AEGP_OutputModuleRefH OutputModuleRef(size_t k) {
    return reinterpret_cast<AEGP_OutputModuleRefH>(&Output(k).module_tag);
  }
  // The output that a handle the host gave stands for; null for any other.
  OutputSpecState* FindOutput(AEIO_OutSpecH outH);
  OutputSpecState* FindOutputModule(AEGP_OutputModuleRefH module);

  AEGP_RenderQueueState queue_state = AEGP_RenderQueueState_RENDERING;
  // One setting for every output of the item.
  AEGP_OutputTypes enabled_outputs = AEGP_OutputType_VIDEO | AEGP_OutputType_AUDIO;
  AEGP_ProjBitDepth project_depth = AEGP_ProjBitDepth_16;
  std::string comp_name = "Comp 1";
  int threads = 1;
  AEGP_PluginID entry_plugin_id = 77;
  AEGP_PluginID registered_plugin_id = 0;  // given by AEGP_RegisterWithAEGP
  std::string registered_name;
  int report_result = 0;  // what AEGP_ReportInfo returns (tests may change it)

  // Registration.
  bool io_registered = false;
  AEIO_ModuleInfo module_info = {};
  AEIO_FunctionBlock4 functions = {};
  AEGP_DeathHook death_hook = nullptr;
  AEGP_DeathRefcon death_refcon = nullptr;

  // Iteration statistics.
  std::atomic<int> iterate_calls{0};
  std::set<std::thread::id> worker_ids;
};

// The host's suite tables and the basic suite.
SPBasicSuite* HostBasicSuite();
const AEGP_MemorySuite1* HostMemorySuite();
const AEGP_UtilitySuite7* HostUtilitySuite7();
const AEGP_UtilitySuite11* HostUtilitySuite11();
const PF_ANSICallbacksSuite1* HostANSISuite();
const AEGP_IOOutSuite7* HostIOOutSuite();
const AEGP_RegisterSuite6* HostRegisterSuite();
const AEGP_IterateSuite1* HostIterateSuite();
const AEGP_ProjSuite8* HostProjSuite();
const AEGP_CompSuite15* HostCompSuite();
const AEGP_ItemSuite10* HostItemSuite10();
const AEGP_ItemSuite11* HostItemSuite11();
const AEGP_RQItemSuite3* HostRQItemSuite();
const AEGP_RenderQueueSuite1* HostRenderQueueSuite();
const AEGP_OutputModuleSuite4* HostOutputModuleSuite();
// The message function of the basic data.
A_Err HostMessageFunc(A_Err err_to_report, const A_char* msg);

// Fills every slot of a suite table with a function that reports the call of
// an unnamed slot ("suite name" version, slot N) and aborts the process.
void FillWithTraps(void* table, size_t bytes, const char* suite, A_long version);

// Host objects handed out as opaque references (the outputs' are the
// HostState's).
AEGP_ProjectH HostProject();
AEGP_ItemH HostCompItem();
AEGP_CompH HostComp();
AEGP_RQItemRefH HostRQItem();

}  // namespace lumavox_host
