#include "platform/win/dialog_template.h"

#include <map>
#include <mutex>
#include <utility>

namespace {

std::mutex g_templatesMutex;

std::map<std::pair<HINSTANCE, int>, const DialogTemplate*>& Templates() {
  static std::map<std::pair<HINSTANCE, int>, const DialogTemplate*> templates;
  return templates;
}

}  // namespace

void RegisterDialogTemplate(HINSTANCE module, int id, const DialogTemplate* dialogTemplate) {
  std::lock_guard<std::mutex> lock(g_templatesMutex);
  Templates()[{module, id}] = dialogTemplate;
}

const DialogTemplate* FindDialogTemplate(HINSTANCE module, int id) {
  std::lock_guard<std::mutex> lock(g_templatesMutex);
  auto found = Templates().find({module, id});
  return found == Templates().end() ? nullptr : found->second;
}
