#pragma once
// Whether the texts of a window's controls fit them: every static, button,
// check box, radio button and group box of the window and of its child
// dialogs (shown pages or not) is measured in the font it draws with and
// compared with the room it gives its text. Runs in the window's own process
// (a font handle means nothing in another one).
#include <windows.h>

#include <cstdio>
#include <string>

namespace textfit {

inline std::string TextOf(HWND window) {
  char buffer[1024] = "";
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                      SMTO_ABORTIFHUNG, 5000, nullptr);
  return buffer;
}

// The text as drawn: "&&" is one ampersand, a single "&" underlines and takes no room.
inline std::string Drawn(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

struct Check {
  int checked = 0;
  int clipped = 0;
  std::string report;
};

inline int Scaled(int length, int dpi) { return MulDiv(length, dpi, 96); }

// The room a control leaves its text: the client area less what the control
// draws beside it (a push button's edges, a box's check mark, a frame's corner).
inline RECT TextRoom(HWND control, LONG style, const char* cls, int dpi, bool* wraps,
                     bool* ignoreHeight) {
  RECT room{};
  GetClientRect(control, &room);
  *wraps = false;
  *ignoreHeight = false;
  if (_stricmp(cls, "Static") == 0) {
    const LONG kind = style & SS_TYPEMASK;
    *wraps = kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT;
    return room;
  }
  const LONG kind = style & BS_TYPEMASK;
  *wraps = (style & BS_MULTILINE) != 0;
  if (kind == BS_GROUPBOX) {
    room.left += Scaled(8, dpi);
    room.right -= Scaled(8, dpi);
    *ignoreHeight = true;
  } else if (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_RADIOBUTTON ||
             kind == BS_AUTORADIOBUTTON || kind == BS_3STATE || kind == BS_AUTO3STATE) {
    room.left += Scaled(13, dpi) + 2;
  } else {
    InflateRect(&room, -2, -2);
  }
  return room;
}

inline bool IsTextControl(const char* cls, LONG style) {
  if (_stricmp(cls, "Static") == 0) {
    // A path or text shortened with "..." is cut on purpose.
    if ((style & SS_ELLIPSISMASK) != 0) return false;
    const LONG kind = style & SS_TYPEMASK;
    return kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT || kind == SS_SIMPLE ||
           kind == SS_LEFTNOWORDWRAP;
  }
  if (_stricmp(cls, "Button") == 0) return (style & BS_TYPEMASK) != BS_OWNERDRAW;
  return false;
}

inline void CheckOne(HWND control, Check* check) {
  char cls[64] = "";
  GetClassNameA(control, cls, sizeof cls);
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  // Controls of pages not shown now count as well: their layout is fixed already.
  if (!IsTextControl(cls, style) || (style & WS_VISIBLE) == 0) return;
  const std::string text = Drawn(TextOf(control));
  if (text.empty()) return;
  HDC dc = GetDC(control);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
  bool wraps = false, ignoreHeight = false;
  const RECT room = TextRoom(control, style, cls, dpi, &wraps, &ignoreHeight);
  RECT need = {0, 0, room.right - room.left, 0};
  DrawTextA(dc, text.c_str(), -1, &need,
            DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  ++check->checked;
  const int roomW = room.right - room.left, roomH = room.bottom - room.top;
  if (need.right > roomW || (!ignoreHeight && need.bottom > roomH)) {
    ++check->clipped;
    char line[1400];
    std::snprintf(line, sizeof line, "clipped\t%d\t%s\t\"%s\"\tneeds %ldx%ld, has %dx%d\n",
                  GetDlgCtrlID(control), cls, text.c_str(), need.right, need.bottom, roomW, roomH);
    check->report += line;
  }
}

inline BOOL CALLBACK CheckChild(HWND child, LPARAM data) {
  CheckOne(child, reinterpret_cast<Check*>(data));
  return TRUE;
}

// Every text control of `window` measured; the report has one line per clipped one.
inline Check Measure(HWND window) {
  Check check;
  EnumChildWindows(window, CheckChild, reinterpret_cast<LPARAM>(&check));
  return check;
}

}  // namespace textfit
