// Exits 0 when the component can be created by ProgID, 1 when not. Built
// without a manifest, it shows that the manifest is what finds the component.
#include <windows.h>

#include "conversion_client_win.h"

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool created = vistrel::TheConversionComponent().Create();
  vistrel::TheConversionComponent().Release();
  CoUninitialize();
  return created ? 0 : 1;
}
