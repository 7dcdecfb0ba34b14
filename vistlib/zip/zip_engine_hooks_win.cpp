// The zip component belongs to the engine's hidden message window: Init
// creates it, Quit frees it first.
#include "engine_state_win.h"
#include "zip_component_win.h"

namespace {

const bool registered = [] {
  vistlib::Hooks().createZipComponent = [](vistlib::EngineState& engine) {
    vistlib::zip::CreateZipComponent(engine.MsgForm ? engine.MsgForm->Handle() : nullptr);
  };
  vistlib::Hooks().freeZipComponent = [](vistlib::EngineState&) {
    vistlib::zip::FreeZipComponent();
  };
  return true;
}();

}  // namespace
