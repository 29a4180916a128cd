// Functions for the slots of a suite that this host does not provide: calling
// one is a fault of the plug-in, reported with the suite and slot, then the
// process stops (as a real host would crash on an empty slot).
#include <array>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "host/host_state.h"

namespace lumavox_host {

namespace {

constexpr int kMaxSlots = 64;
constexpr int kMaxTables = 32;

struct TrapTable {
  std::string suite;
  A_long version = 0;
};
TrapTable g_tables[kMaxTables];
int g_table_count = 0;

[[noreturn]] void Trapped(int table_index, int slot) {
  const TrapTable& t = g_tables[table_index];
  std::fprintf(stderr, "lumavox-render: the plug-in called slot %d of \"%s\" %d, which this host does not provide\n",
               slot, t.suite.c_str(), static_cast<int>(t.version));
  std::fflush(stderr);
  std::abort();
}

template <int Table, int Slot>
A_Err Trap() {
  Trapped(Table, Slot);
}

template <int Table, int... Slots>
constexpr std::array<AEGP_UnusedFunc, sizeof...(Slots)> SlotsOf(std::integer_sequence<int, Slots...>) {
  return {&Trap<Table, Slots>...};
}

template <int... Tables>
constexpr std::array<std::array<AEGP_UnusedFunc, kMaxSlots>, sizeof...(Tables)> AllTraps(
    std::integer_sequence<int, Tables...>) {
  return {SlotsOf<Tables>(std::make_integer_sequence<int, kMaxSlots>())...};
}

const auto g_traps = AllTraps(std::make_integer_sequence<int, kMaxTables>());

}  // namespace

void FillWithTraps(void* table, size_t bytes, const char* suite, A_long version) {
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  int index = -1;
  for (int i = 0; i < g_table_count; ++i)
    if (g_tables[i].suite == suite && g_tables[i].version == version) index = i;
  if (index < 0) {
    if (g_table_count == kMaxTables || bytes / sizeof(void*) > kMaxSlots) {
      std::fprintf(stderr, "lumavox-render: too many suite tables\n");
      std::abort();
    }
    index = g_table_count++;
    g_tables[index].suite = suite;
    g_tables[index].version = version;
  }
  auto* slots = static_cast<AEGP_UnusedFunc*>(table);
  for (size_t s = 0; s < bytes / sizeof(void*); ++s) slots[s] = g_traps[static_cast<size_t>(index)][s];
}

}  // namespace lumavox_host
