#include "view_format.h"

#include "line_ends.h"

namespace vistlib::cbview {

bool Holds(ViewFormat format, const ClipboardFacts& facts) {
  switch (format) {
    case ViewFormat::cvText: return facts.text;
    case ViewFormat::cvOemText: return facts.oemText;
    case ViewFormat::cvBitmap: return facts.bitmap;
    case ViewFormat::cvMetafile: return facts.metafile || facts.enhMetafile;
    case ViewFormat::cvPalette: return facts.palette;
    default: return false;
  }
}

namespace {

// The formats below cvText need nothing on the clipboard.
bool NeedsClipboardFormat(ViewFormat format) { return format > ViewFormat::cvText; }

ViewFormat Automatic(const ClipboardFacts& facts) {
  for (ViewFormat format : {ViewFormat::cvText, ViewFormat::cvOemText, ViewFormat::cvBitmap,
                            ViewFormat::cvMetafile, ViewFormat::cvPalette}) {
    if (Holds(format, facts)) return format;
  }
  return ViewFormat::cvUnknown;
}

}  // namespace

ViewFormat FormatToShow(ViewFormat viewFormat, const ClipboardFacts& facts) {
  if (facts.empty) return ViewFormat::cvEmpty;
  if (viewFormat == ViewFormat::cvDefault) return Automatic(facts);
  if (NeedsClipboardFormat(viewFormat) && !Holds(viewFormat, facts)) return ViewFormat::cvUnknown;
  return viewFormat;
}

ViewFormat AfterClipboardChange(ViewFormat viewFormat, const ClipboardFacts& facts) {
  if (facts.empty) return ViewFormat::cvEmpty;
  if (!Holds(viewFormat, facts)) return ViewFormat::cvDefault;
  return viewFormat;
}

ViewFormat Requested(ViewFormat wanted, const ClipboardFacts& facts) {
  return Holds(wanted, facts) ? wanted : ViewFormat::cvDefault;
}

ContentPlan PlanContent(ViewFormat shown, const ClipboardFacts& facts) {
  ContentPlan plan;
  switch (shown) {
    case ViewFormat::cvPalette:
      plan.kind = ContentKind::Palette;
      return plan;
    case ViewFormat::cvBitmap:
    case ViewFormat::cvMetafile:
      plan.kind = ContentKind::Picture;
      return plan;
    default:
      break;
  }
  plan.terminalFont = shown == ViewFormat::cvOemText;
  if (facts.text || facts.oemText) {
    plan.clipboardText = true;
    plan.oemSource = plan.terminalFont || !facts.text;
  } else {
    plan.fixedText = facts.empty ? kEmptyText : kUnknownText;
  }
  return plan;
}

std::string TextForTextBox(std::string_view text) { return vistrel::CrLfLines(text); }

}  // namespace vistlib::cbview
