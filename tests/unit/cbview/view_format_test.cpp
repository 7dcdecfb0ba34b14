#include "view_format.h"

#include <gtest/gtest.h>

namespace vistlib::cbview {
namespace {

using VF = ViewFormat;

ClipboardFacts Holding(std::initializer_list<bool ClipboardFacts::*> formats) {
  ClipboardFacts facts;
  for (auto format : formats) facts.*format = true;
  facts.empty = formats.size() == 0;
  return facts;
}

const ClipboardFacts kEmpty = Holding({});
// What Windows offers for plain text: the OEM form is made from it.
const ClipboardFacts kText = Holding({&ClipboardFacts::text, &ClipboardFacts::oemText});
// A capture from Transfer: bitmap and palette.
const ClipboardFacts kCapture = Holding({&ClipboardFacts::bitmap, &ClipboardFacts::palette});
const ClipboardFacts kEnhMetafile = Holding({&ClipboardFacts::enhMetafile});
const ClipboardFacts kPalette = Holding({&ClipboardFacts::palette});

ClipboardFacts UnknownOnly() {
  ClipboardFacts facts;
  facts.empty = false;  // some private format, none the viewer knows
  return facts;
}

TEST(FormatToShow, AutomaticChoiceFollowsTheFixedOrder) {
  struct Case {
    const char* what;
    ClipboardFacts facts;
    VF shown;
  };
  const ClipboardFacts textAndBitmap =
      Holding({&ClipboardFacts::text, &ClipboardFacts::oemText, &ClipboardFacts::bitmap});
  const Case cases[] = {
      {"empty", kEmpty, VF::cvEmpty},
      {"text", kText, VF::cvText},
      {"text before bitmap", textAndBitmap, VF::cvText},
      {"OEM text alone", Holding({&ClipboardFacts::oemText}), VF::cvOemText},
      {"bitmap before palette", kCapture, VF::cvBitmap},
      {"enhanced metafile counts as metafile", kEnhMetafile, VF::cvMetafile},
      {"metafile picture", Holding({&ClipboardFacts::metafile}), VF::cvMetafile},
      {"palette alone", kPalette, VF::cvPalette},
      {"unknown", UnknownOnly(), VF::cvUnknown},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatToShow(VF::cvDefault, c.facts), c.shown) << c.what;
}

TEST(FormatToShow, ChosenFormatIsKeptOnlyWhileTheClipboardHoldsIt) {
  EXPECT_EQ(FormatToShow(VF::cvPalette, kCapture), VF::cvPalette);
  EXPECT_EQ(FormatToShow(VF::cvOemText, kText), VF::cvOemText);
  // A format the clipboard lacks cannot be shown.
  EXPECT_EQ(FormatToShow(VF::cvBitmap, kText), VF::cvUnknown);
  EXPECT_EQ(FormatToShow(VF::cvIcon, kCapture), VF::cvUnknown);
  // The formats that need nothing stay; an empty clipboard wins over all.
  EXPECT_EQ(FormatToShow(VF::cvText, kCapture), VF::cvText);
  EXPECT_EQ(FormatToShow(VF::cvBitmap, kEmpty), VF::cvEmpty);
}

TEST(ViewFormatProperty, ChangesAndRequests) {
  EXPECT_EQ(AfterClipboardChange(VF::cvPalette, kEmpty), VF::cvEmpty);
  EXPECT_EQ(AfterClipboardChange(VF::cvPalette, kCapture), VF::cvPalette);
  EXPECT_EQ(AfterClipboardChange(VF::cvPalette, kText), VF::cvDefault);
  EXPECT_EQ(AfterClipboardChange(VF::cvEmpty, kText), VF::cvDefault);
  EXPECT_EQ(Requested(VF::cvMetafile, kEnhMetafile), VF::cvMetafile);
  EXPECT_EQ(Requested(VF::cvBitmap, kText), VF::cvDefault);
  EXPECT_EQ(Requested(VF::cvComponent, kCapture), VF::cvDefault);
}

TEST(PlanContent, TextBoxTextsAndOtherControls) {
  ContentPlan plan = PlanContent(VF::cvEmpty, kEmpty);
  EXPECT_EQ(plan.kind, ContentKind::Text);
  EXPECT_FALSE(plan.clipboardText);
  EXPECT_EQ(plan.fixedText, kEmptyText);

  plan = PlanContent(VF::cvUnknown, UnknownOnly());
  EXPECT_EQ(plan.fixedText, kUnknownText);

  plan = PlanContent(VF::cvText, kText);
  EXPECT_TRUE(plan.clipboardText);
  EXPECT_FALSE(plan.oemSource);
  EXPECT_FALSE(plan.terminalFont);

  plan = PlanContent(VF::cvOemText, kText);
  EXPECT_TRUE(plan.clipboardText && plan.oemSource && plan.terminalFont);

  EXPECT_EQ(PlanContent(VF::cvBitmap, kCapture).kind, ContentKind::Picture);
  EXPECT_EQ(PlanContent(VF::cvMetafile, kEnhMetafile).kind, ContentKind::Picture);
  EXPECT_EQ(PlanContent(VF::cvPalette, kPalette).kind, ContentKind::Palette);
}

TEST(TextForTextBox, EveryLineEndBecomesCrLf) {
  EXPECT_EQ(TextForTextBox("a\nb\r\nc\rd\n"), "a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(TextForTextBox("\r\r\n\n"), "\r\n\r\n\r\n");
  EXPECT_EQ(TextForTextBox(""), "");
}

}  // namespace
}  // namespace vistlib::cbview
