#include "output_picture_win.h"

#include "fx_exchange_win.h"
#include "output_picture.h"

namespace vistrel {

bool RefuseEmptyPicture(HWND owner, HBITMAP picture) {
  if (!PictureIsEmpty(picture)) return false;
  MessageBoxA(owner, kEmptyPictureText, kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
  return true;
}

}  // namespace vistrel
