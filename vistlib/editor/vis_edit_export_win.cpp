// VisEdit, and the editor's place in the engine's life: the form is made with
// the first Init and kept, hidden, until the library is unloaded.
#include <memory>

#include "edit_form_win.h"
#include "engine_state_win.h"
#include "export_guard_win.h"
#include "vistlib.h"

namespace vistlib {
namespace {

std::unique_ptr<TVisEditForm>& Form() {
  static std::unique_ptr<TVisEditForm> form;
  return form;
}

const bool registered = [] {
  Hooks().createEditor = [](EngineState& engine) {
    if (!Form()) Form() = std::make_unique<TVisEditForm>(engine);
  };
  Hooks().captureLoaded = [](EngineState&) {
    if (Form()) Form()->CaptureLoaded();
  };
  return true;
}();

}  // namespace
}  // namespace vistlib

extern "C" void __stdcall VisEdit(const char* divisor, const char* multiplier, const char* unit) {
  vistlib::GuardedExport("VisEdit", [&] {
    auto& form = vistlib::Form();
    if (!form || !vistlib::Engine().running) return;
    form->ShowModal(vistlib::ParseSizeScale(divisor, multiplier, unit));
  });
}
