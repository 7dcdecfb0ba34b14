// The start-up's clean-up of what a killed earlier run left behind.
#include <windows.h>

#include "leftover_files_win.h"
#include "program_paths_win.h"
#include "program_settings_win.h"
#include "window_thunk_win.h"

namespace vistrel {

void RemoveLeftoversAtStart() {
  // Clearing up is a courtesy: a start-up never fails for it.
  Guarded("clearing up at start", 0, [] {
    RemoveLeftoverPartials({ProgramSettings().GetSetting("Divers", "Path", ""), UserTempFolder()});
    return 0;
  });
}

}  // namespace vistrel
