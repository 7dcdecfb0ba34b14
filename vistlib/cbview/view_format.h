#pragma once
// What the clipboard viewer shows: the choice of view format from what the
// clipboard holds, and what the content control of that view displays.
#include <string>
#include <string_view>

namespace vistlib::cbview {

// The viewer's formats, numbered as its published property is.
enum class ViewFormat {
  cvDefault = 0,
  cvEmpty,
  cvUnknown,
  cvText,
  cvBitmap,
  cvMetafile,
  cvPalette,
  cvOemText,
  cvPicture,
  cvComponent,
  cvIcon,
};

// The formats on the clipboard that matter to the viewer. The runtime's own
// picture, component and icon formats are not registered by this library, so
// those three views never come up.
struct ClipboardFacts {
  bool empty = true;
  bool text = false;         // CF_TEXT
  bool oemText = false;      // CF_OEMTEXT
  bool bitmap = false;       // CF_BITMAP
  bool metafile = false;     // CF_METAFILEPICT
  bool enhMetafile = false;  // CF_ENHMETAFILE
  bool palette = false;      // CF_PALETTE
};

inline constexpr char kEmptyText[] = "Die Zwischenablage ist leer";
inline constexpr char kUnknownText[] =
    "Anzeige ist nicht m\xF6glich. Unbekanntes Datenformat in der Zwischenablage";

// True when the clipboard holds what the view shows (an enhanced metafile
// counts as a metafile). The views without a clipboard format never hold.
bool Holds(ViewFormat format, const ClipboardFacts& facts);

// The format to show for the property's value `viewFormat`.
ViewFormat FormatToShow(ViewFormat viewFormat, const ClipboardFacts& facts);

// The property after a clipboard change: cvEmpty for an empty clipboard,
// cvDefault when the clipboard no longer holds the chosen format.
ViewFormat AfterClipboardChange(ViewFormat viewFormat, const ClipboardFacts& facts);

// The property after the user asks for `wanted`: taken when the clipboard
// holds it and it can be shown, cvDefault otherwise.
ViewFormat Requested(ViewFormat wanted, const ClipboardFacts& facts);

// The content control for a shown format.
enum class ContentKind { Text, Palette, Picture };

struct ContentPlan {
  ContentKind kind = ContentKind::Text;
  bool terminalFont = false;   // OEM text, in the font "Terminal"
  bool clipboardText = false;  // the clipboard's text; otherwise `fixedText`
  bool oemSource = false;      // read the text as CF_OEMTEXT
  std::string fixedText;
};

ContentPlan PlanContent(ViewFormat shown, const ClipboardFacts& facts);

// Clipboard text as a text box shows it: bare LF or CR become CR LF.
std::string TextForTextBox(std::string_view text);

}  // namespace vistlib::cbview
