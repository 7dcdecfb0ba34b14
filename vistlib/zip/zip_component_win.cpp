#include "zip_component_win.h"

#include <memory>

#include "zip_system_win.h"

namespace vistlib::zip {
namespace {

struct Component {
  explicit Component(HWND owner) : system(owner), zip(system, owner) {}
  WinZipSystem system;
  TZipMaster zip;
};

std::unique_ptr<Component> g_component;

}  // namespace

void CreateZipComponent(HWND owner) { g_component = std::make_unique<Component>(owner); }

void FreeZipComponent() { g_component.reset(); }

TZipMaster& ZipComponent() {
  if (!g_component) CreateZipComponent(nullptr);
  return g_component->zip;
}

}  // namespace vistlib::zip
