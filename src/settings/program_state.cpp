// The values the program's routines share.
#include "settings/program_state.h"

#include "settings/runtime_failure.h"

namespace quireon2 {

SettingsState::SettingsState() {
  for (std::size_t i = 0; i < kDefaultFontSizes.size(); ++i) {
    layouts[i].font_size = kDefaultFontSizes[i];
    layouts[i].font_name = kDefaultFont;
  }
}

const LayoutRecord& CurrentLayout(const Program& p) {
  const int layout = p.settings().Layout;
  if (layout < kLayout1Up || layout > kLayoutBooklet) RaiseFailure(kSubscriptOutOfRange);
  return p.settings_state.layouts[static_cast<std::size_t>(layout)];
}

LayoutRecord& CurrentLayout(Program& p) {
  return const_cast<LayoutRecord&>(CurrentLayout(static_cast<const Program&>(p)));
}

}  // namespace quireon2
