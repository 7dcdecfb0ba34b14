// The in-process COM server: a class factory for ClsTiffDLL, whose IDispatch
// offers ConvertImage to late-bound callers, and the DLL's registration
// exports. No exception may leave a COM method or an export.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <olectl.h>

#include <atomic>
#include <new>
#include <string>

#include "converter.h"
#include "clipboard_win.h"
#include "file_writer_win.h"
#include "result_codes.h"
#include "stage_times_win.h"
#include "tiffdll_ids.h"

namespace tiffdll {
namespace {

HINSTANCE g_instance = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

// {F2764724-C794-435A-BFEB-62E24A50AC72}
constexpr CLSID kClsid = {
    0xf2764724, 0xc794, 0x435a, {0xbf, 0xeb, 0x62, 0xe2, 0x4a, 0x50, 0xac, 0x72}};

class WindowsIo : public ConversionIo {
 public:
  std::optional<Image> ReadClipboard(int32_t* error) override {
    std::optional<Image> image = ReadClipboardImage(error);
    vistrel::StageTime("handed");
    return image;
  }
  int32_t WriteClipboard(const Image& image) override { return WriteClipboardImage(image); }
  int32_t WriteFile(const std::string& path, const Bytes& bytes) override {
    vistrel::StageTime("encoded");
    const int32_t result = WriteFileReplacing(path, bytes);
    if (result == kCannotWrite) writeError = GetLastError();
    vistrel::StageTime("written");
    return result;
  }
  DWORD writeError = 0;  // the system's cause of a failed file write
};

// The command in the ANSI code page, as the program's file names are.
std::string Ansi(BSTR text) {
  if (text == nullptr) return {};
  const int length = static_cast<int>(SysStringLen(text));
  if (length == 0) return {};
  int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, out.data(), bytes, nullptr, nullptr);
  return out;
}

class ClsTiffDLL final : public IDispatch {
 public:
  ClsTiffDLL() { ++g_objects; }
  ~ClsTiffDLL() { --g_objects; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    long left = --refs_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // Late binding needs no type library.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    // Names are matched without regard to case, as late-bound callers expect.
    if (names[0] != nullptr && CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, names[0], -1,
                                              L"ConvertImage", -1) == CSTR_EQUAL) {
      ids[0] = TIFFDLL_DISPID_CONVERTIMAGE;
    } else {
      result = DISP_E_UNKNOWNNAME;
    }
    // ConvertImage has no named parameters.
    if (count > 1) result = DISP_E_UNKNOWNNAME;
    return result;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT* argError) override {
    if (id != TIFFDLL_DISPID_CONVERTIMAGE) return DISP_E_MEMBERNOTFOUND;
    if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
    if (params == nullptr || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;

    // The command arrives as a string by reference; accept a string by
    // value, or anything that converts to one, just as well.
    VARIANT text;
    VariantInit(&text);
    HRESULT hr = VariantCopyInd(&text, &params->rgvarg[0]);
    if (SUCCEEDED(hr)) hr = VariantChangeType(&text, &text, 0, VT_BSTR);
    if (FAILED(hr)) {
      VariantClear(&text);
      if (argError) *argError = 0;
      return DISP_E_TYPEMISMATCH;
    }
    int32_t number = kInternal;
    WindowsIo io;
    try {
      std::string command = Ansi(text.bstrVal);
      number = Convert(command, io);
    } catch (...) {
      number = kInternal;
    }
    VariantClear(&text);
    if (result) {
      VariantInit(result);
      result->vt = VT_I4;
      result->lVal = number;
    }
    // The caller may ask the system's cause of a disk or path it cannot write:
    // it is the last error when the call returns.
    SetLastError(number == kCannotWrite ? io.writeError : ERROR_SUCCESS);
    return S_OK;
  }

 private:
  std::atomic<long> refs_{1};
};

class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // The factory is static; it keeps the module loaded through LockServer.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    ClsTiffDLL* object = new (std::nothrow) ClsTiffDLL();
    if (object == nullptr) return E_OUTOFMEMORY;
    HRESULT hr = object->QueryInterface(riid, out);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      ++g_locks;
    } else {
      --g_locks;
    }
    return S_OK;
  }
};

Factory g_factory;

bool SetKeyValue(const std::string& key, const char* name, const std::string& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                      nullptr) != ERROR_SUCCESS)
    return false;
  LONG status =
      RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

}  // namespace
}  // namespace tiffdll

using namespace tiffdll;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_instance = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, kClsid)) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(riid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE;
}

// Machine-wide registration, for programs that do not declare the component
// in their manifest.
extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  try {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(g_instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return SELFREG_E_CLASS;
    const std::string clsidKey = std::string("CLSID\\") + TIFFDLL_CLSID_TEXT;
    bool ok = SetKeyValue(TIFFDLL_PROGID, nullptr, TIFFDLL_PROGID) &&
              SetKeyValue(std::string(TIFFDLL_PROGID) + "\\CLSID", nullptr, TIFFDLL_CLSID_TEXT) &&
              SetKeyValue(clsidKey, nullptr, TIFFDLL_PROGID) &&
              SetKeyValue(clsidKey + "\\ProgID", nullptr, TIFFDLL_PROGID) &&
              SetKeyValue(clsidKey + "\\InprocServer32", nullptr, path) &&
              SetKeyValue(clsidKey + "\\InprocServer32", "ThreadingModel", "Apartment");
    return ok ? S_OK : SELFREG_E_CLASS;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  try {
    const std::string clsidKey = std::string("CLSID\\") + TIFFDLL_CLSID_TEXT;
    LONG a = RegDeleteTreeA(HKEY_CLASSES_ROOT, clsidKey.c_str());
    LONG b = RegDeleteTreeA(HKEY_CLASSES_ROOT, TIFFDLL_PROGID);
    auto fine = [](LONG status) {
      return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    };
    return fine(a) && fine(b) ? S_OK : SELFREG_E_CLASS;
  } catch (...) {
    return E_UNEXPECTED;
  }
}
