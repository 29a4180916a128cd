#include "ui/options_state.h"

OptionsDialogState& OptionsDialog() {
  static OptionsDialogState state;
  return state;
}
