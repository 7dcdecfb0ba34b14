#include "preview_model.h"

#include "number_text.h"

namespace vistrel::print {

namespace {

constexpr char kSection[] = "Divers";

double Read(const SettingsStore& store, const char* key, double fallback) {
  return Val(store.GetSetting(kSection, key, GeneralDecimalText(fallback)));
}

}  // namespace

PreviewPlacement LoadPreviewPlacement(const SettingsStore& store, double screenWidthTwips,
                                      double screenHeightTwips) {
  PreviewPlacement p;
  p.height = Read(store, "PrevHeight", screenHeightTwips / 2);
  p.width = Read(store, "PrevWidth", screenWidthTwips / 2);
  p.top = Read(store, "PrevTop", 0);
  p.left = Read(store, "PrevLeft", screenWidthTwips - p.width);
  return p;
}

void SavePreviewPlacement(SettingsStore& store, const PreviewPlacement& p, char separator) {
  auto text = [&](double value) {
    return GeneralDecimalText(static_cast<float>(value), separator);
  };
  store.SaveSetting(kSection, "PrevHeight", text(p.height));
  store.SaveSetting(kSection, "PrevWidth", text(p.width));
  store.SaveSetting(kSection, "PrevTop", text(p.top));
  store.SaveSetting(kSection, "PrevLeft", text(p.left));
}

std::optional<PreviewDrag::Shift> PreviewDrag::Move(double x, double y, bool buttonPressed) {
  if (busy_) return std::nullopt;
  if (!buttonPressed) {
    grabX_ = x;
    grabY_ = y;
    return std::nullopt;
  }
  if (grabX_ == 0) grabX_ = x;
  if (grabY_ == 0) grabY_ = y;
  return Shift{x - grabX_, y - grabY_};
}

}  // namespace vistrel::print
