// The project side of the host: "AEGP Proj Suite" 8, "AEGP Comp Suite" 15,
// "AEGP Item Suite" 10 and 11, "AEGP Render Queue Item Suite" 3, "AEGP Render
// Queue Suite" 1 and "AEGP Output Module Suite" 4. One project with one
// composition (named by --name) in one render-queue item with one output or
// more.
#include <cstring>

#include "host/host_state.h"
#include "platform/text/utf8_cut.h"

namespace lumavox_host {

namespace {

HostState& Host(const char* function) {
  HostState& h = HostState::Current();
  h.CheckHostThread(function);
  return h;
}

A_Err GetProjectByIndex(A_long proj_index, AEGP_ProjectH* projPH) {
  HostState& h = Host("AEGP_GetProjectByIndex");
  if (!projPH) return A_Err_PARAMETER;
  *projPH = nullptr;
  if (proj_index != 0) {
    h.Problem("AEGP_GetProjectByIndex with the index " + std::to_string(proj_index));
    return A_Err_PARAMETER;
  }
  *projPH = HostProject();
  return A_Err_NONE;
}

A_Err GetProjectBitDepth(AEGP_ProjectH projH, AEGP_ProjBitDepth* bit_depthP) {
  HostState& h = Host("AEGP_GetProjectBitDepth");
  if (projH != HostProject() || !bit_depthP) return A_Err_PARAMETER;
  *bit_depthP = h.project_depth;
  return A_Err_NONE;
}

A_Err GetCompFromItem(AEGP_ItemH itemH, AEGP_CompH* compPH) {
  Host("AEGP_GetCompFromItem");
  if (!compPH) return A_Err_PARAMETER;
  *compPH = itemH == HostCompItem() ? HostComp() : nullptr;
  return itemH == HostCompItem() ? A_Err_NONE : A_Err_PARAMETER;
}

A_Err GetItemFromComp(AEGP_CompH compH, AEGP_ItemH* itemPH) {
  Host("AEGP_GetItemFromComp");
  if (!itemPH) return A_Err_PARAMETER;
  *itemPH = compH == HostComp() ? HostCompItem() : nullptr;
  return compH == HostComp() ? A_Err_NONE : A_Err_PARAMETER;
}

A_Err GetItemName(AEGP_ItemH itemH, A_char* nameZ) {
  HostState& h = Host("AEGP_GetItemName");
  if (itemH != HostCompItem() || !nameZ) return A_Err_PARAMETER;
  const std::string name = TextCut(h.comp_name, AEGP_MAX_ITEM_NAME_SIZE - 1);
  std::memcpy(nameZ, name.c_str(), name.size() + 1);
  return A_Err_NONE;
}

A_Err GetActiveItem(AEGP_ItemH* itemPH) {
  Host("AEGP_GetActiveItem");
  if (!itemPH) return A_Err_PARAMETER;
  *itemPH = HostCompItem();
  return A_Err_NONE;
}

A_Err GetCompFromRQItem(AEGP_RQItemRefH rq_itemH, AEGP_CompH* compPH) {
  Host("AEGP_GetCompFromRQItem");
  if (rq_itemH != HostRQItem() || !compPH) return A_Err_PARAMETER;
  *compPH = HostComp();
  return A_Err_NONE;
}

A_Err GetRenderQueueState(AEGP_RenderQueueState* stateP) {
  HostState& h = Host("AEGP_GetRenderQueueState");
  if (!stateP) return A_Err_PARAMETER;
  *stateP = h.queue_state;
  return A_Err_NONE;
}

A_Err GetEnabledOutputs(AEGP_RQItemRefH rq_itemH, AEGP_OutputModuleRefH outmodH, AEGP_OutputTypes* typesP) {
  HostState& h = Host("AEGP_GetEnabledOutputs");
  if (rq_itemH != HostRQItem() || h.FindOutputModule(outmodH) == nullptr || !typesP) return A_Err_PARAMETER;
  *typesP = h.enabled_outputs;
  return A_Err_NONE;
}

A_Err SetEnabledOutputs(AEGP_RQItemRefH rq_itemH, AEGP_OutputModuleRefH outmodH, AEGP_OutputTypes types) {
  HostState& h = Host("AEGP_SetEnabledOutputs");
  if (rq_itemH != HostRQItem() || h.FindOutputModule(outmodH) == nullptr) return A_Err_PARAMETER;
  h.enabled_outputs = types;
  return A_Err_NONE;
}

template <typename Suite>
Suite Trapped(const char* name, A_long version) {
  Suite s;
  FillWithTraps(&s, sizeof s, name, version);
  return s;
}

}  // namespace

const AEGP_ProjSuite8* HostProjSuite() {
  static const AEGP_ProjSuite8 suite = [] {
    auto s = Trapped<AEGP_ProjSuite8>(kAEGPProjSuite, 8);
    s.AEGP_GetProjectByIndex = GetProjectByIndex;
    s.AEGP_GetProjectBitDepth = GetProjectBitDepth;
    return s;
  }();
  return &suite;
}

const AEGP_CompSuite15* HostCompSuite() {
  static const AEGP_CompSuite15 suite = [] {
    auto s = Trapped<AEGP_CompSuite15>(kAEGPCompSuite, 15);
    s.AEGP_GetCompFromItem = GetCompFromItem;
    s.AEGP_GetItemFromComp = GetItemFromComp;
    return s;
  }();
  return &suite;
}

const AEGP_ItemSuite10* HostItemSuite10() {
  static const AEGP_ItemSuite10 suite = [] {
    auto s = Trapped<AEGP_ItemSuite10>(kAEGPItemSuite, 10);
    s.AEGP_GetItemName = GetItemName;
    return s;
  }();
  return &suite;
}

const AEGP_ItemSuite11* HostItemSuite11() {
  static const AEGP_ItemSuite11 suite = [] {
    auto s = Trapped<AEGP_ItemSuite11>(kAEGPItemSuite, 11);
    s.AEGP_GetActiveItem = GetActiveItem;
    return s;
  }();
  return &suite;
}

const AEGP_RQItemSuite3* HostRQItemSuite() {
  static const AEGP_RQItemSuite3 suite = [] {
    auto s = Trapped<AEGP_RQItemSuite3>(kAEGPRQItemSuite, 3);
    s.AEGP_GetCompFromRQItem = GetCompFromRQItem;
    return s;
  }();
  return &suite;
}

const AEGP_RenderQueueSuite1* HostRenderQueueSuite() {
  static const AEGP_RenderQueueSuite1 suite = [] {
    auto s = Trapped<AEGP_RenderQueueSuite1>(kAEGPRenderQueueSuite, 1);
    s.AEGP_GetRenderQueueState = GetRenderQueueState;
    return s;
  }();
  return &suite;
}

const AEGP_OutputModuleSuite4* HostOutputModuleSuite() {
  static const AEGP_OutputModuleSuite4 suite = [] {
    auto s = Trapped<AEGP_OutputModuleSuite4>(kAEGPOutputModuleSuite, 4);
    s.AEGP_GetEnabledOutputs = GetEnabledOutputs;
    s.AEGP_SetEnabledOutputs = SetEnabledOutputs;
    return s;
  }();
  return &suite;
}

}  // namespace lumavox_host
