// The mail window moved onto a monitor of another DPI: it takes the suggested
// rectangle, its list and box scale with it, there and back, and its texts fit.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "mail_form_res.h"
#include "mail_form_win.h"
#include "text_fit_win.h"

namespace vistrel {
namespace {

int Width(HWND window) {
  RECT box{};
  GetWindowRect(window, &box);
  return box.right - box.left;
}

TEST(MailFormDpi, FollowsAChangeOfDpiThereAndBack) {
  MailForm::Show(nullptr);
  MailForm::AddStatus("Connecting to smtp.example.org");
  HWND form = MailForm::Window();
  ASSERT_NE(form, nullptr);
  RECT frame{};
  GetWindowRect(form, &frame);
  const int list = Width(GetDlgItem(form, IDC_MAIL_DOCLIST));
  const int box = Width(GetDlgItem(form, IDC_MAIL_MOREINFO));
  for (const int dpi : {192, 96}) {
    SCOPED_TRACE(dpi);
    RECT suggested = {frame.left, frame.top, frame.left + MulDiv(frame.right - frame.left, dpi, 96),
                      frame.top + MulDiv(frame.bottom - frame.top, dpi, 96)};
    SendMessageA(form, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    RECT now{};
    GetWindowRect(form, &now);
    // A dialog grows as its face does, which is close to the DPI's ratio.
    const int w = suggested.right - suggested.left, h = suggested.bottom - suggested.top;
    EXPECT_NEAR(now.right - now.left, w, w / 12);
    EXPECT_NEAR(now.bottom - now.top, h, h / 12);
    EXPECT_EQ(now.left, suggested.left);
    EXPECT_NEAR(Width(GetDlgItem(form, IDC_MAIL_DOCLIST)), MulDiv(list, dpi, 96),
                std::max(2, MulDiv(list, dpi, 96) / 12));
    EXPECT_NEAR(Width(GetDlgItem(form, IDC_MAIL_MOREINFO)), MulDiv(box, dpi, 96),
                std::max(2, MulDiv(box, dpi, 96) / 12));
    const textfit::Check check = textfit::Measure(form);
    EXPECT_GE(check.checked, 1);
    EXPECT_EQ(check.clipped, 0) << check.report;
  }
  MailForm::Close();
  EXPECT_FALSE(MailForm::IsOpen());
}

}  // namespace
}  // namespace vistrel
