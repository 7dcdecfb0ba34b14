#include "engine_state_win.h"

#include "msg_form_win.h"

namespace vistlib {

EngineState::EngineState() = default;
EngineState::~EngineState() = default;

EngineState& Engine() {
  static EngineState state;
  return state;
}

const Picture& EditorPicture(const EngineState& engine) {
  return engine.EditorImage.Empty() ? engine.CaptureBitmap : engine.EditorImage;
}

EngineHooks& Hooks() {
  static EngineHooks hooks;
  return hooks;
}

}  // namespace vistlib
