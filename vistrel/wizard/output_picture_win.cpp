#include "output_picture_win.h"

#include "fx_exchange_win.h"
#include "output_picture.h"

namespace vistrel {

bool PictureIsEmpty(HBITMAP picture) {
  BITMAP facts{};
  return !picture || !GetObjectA(picture, sizeof facts, &facts) || facts.bmWidth <= 0 ||
         facts.bmHeight <= 0;
}

bool RefuseEmptyPicture(HWND owner, HBITMAP picture) {
  if (!PictureIsEmpty(picture)) return false;
  MessageBoxA(owner, kEmptyPictureText, kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
  return true;
}

}  // namespace vistrel
