#pragma once
// Partial files a killed earlier run left behind, removed at the next start.
#include <string>
#include <vector>

namespace vistrel {

// Removes, in each folder, our partial files whose writer no longer runs, and
// such a run's own temporary folder with what is in it.
void RemoveLeftoverPartials(const std::vector<std::string>& folders);

// At start-up: the save folder the settings name and the temporary folder.
void RemoveLeftoversAtStart();

}  // namespace vistrel
