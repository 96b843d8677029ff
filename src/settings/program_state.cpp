// The values the program's routines share.
#include "settings/program_state.h"

namespace quireon2 {

SettingsState::SettingsState() {
  static constexpr Integer kDefaultSizes[4] = {8, 6, 4, 8};
  for (int i = 0; i < 4; ++i) {
    layouts[i].font_size = kDefaultSizes[i];
    layouts[i].font_name = kDefaultFont;
  }
}

}  // namespace quireon2
