#pragma once
// The component's identity, also declared in the program's manifest.
#define TIFFDLL_PROGID "TiffDLL.ClsTiffDLL"
#define TIFFDLL_CLSID_TEXT "{F2764724-C794-435A-BFEB-62E24A50AC72}"
// DISPID of ConvertImage.
#define TIFFDLL_DISPID_CONVERTIMAGE 1
