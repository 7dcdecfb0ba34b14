#include "conversion_client_win.h"

#include <oleauto.h>

namespace vistrel {

ConversionComponent::~ConversionComponent() { Release(); }

bool ConversionComponent::Create() {
  if (dispatch_ != nullptr) return true;
  // Found through the program's manifest (registration-free COM), or through
  // a machine-wide registration when there is one.
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(L"TiffDLL.ClsTiffDLL", &clsid))) return false;
  IDispatch* dispatch = nullptr;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&dispatch))) ||
      dispatch == nullptr)
    return false;
  LPOLESTR name = const_cast<LPOLESTR>(L"ConvertImage");
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) {
    dispatch->Release();
    return false;
  }
  dispatch_ = dispatch;
  convertImageId_ = id;
  return true;
}

int32_t ConversionComponent::ConvertImage(const std::string& command) {
  if (dispatch_ == nullptr) return kCallFailed;
  int wideLength =
      MultiByteToWideChar(CP_ACP, 0, command.data(), static_cast<int>(command.size()), nullptr, 0);
  BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(wideLength));
  if (text == nullptr) return kCallFailed;
  MultiByteToWideChar(CP_ACP, 0, command.data(), static_cast<int>(command.size()), text,
                      wideLength);

  // The command goes by reference, as a string variant.
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_BSTR | VT_BYREF;
  argument.pbstrVal = &text;
  DISPPARAMS params{&argument, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  HRESULT hr =
      dispatch_->Invoke(convertImageId_, IID_NULL, LOCALE_USER_DEFAULT,
                        DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params, &result, nullptr, nullptr);
  // The component's cause of a failed write, handed on to our caller.
  const DWORD cause = GetLastError();
  // A callee may have replaced the string it was handed by reference.
  SysFreeString(text);
  int32_t number = kCallFailed;
  if (SUCCEEDED(hr) && SUCCEEDED(VariantChangeType(&result, &result, 0, VT_I4)))
    number = result.lVal;
  VariantClear(&result);
  SetLastError(cause);
  return number;
}

void ConversionComponent::Release() {
  if (dispatch_ != nullptr) {
    dispatch_->Release();
    dispatch_ = nullptr;
    convertImageId_ = DISPID_UNKNOWN;
  }
}

ConversionComponent& TheConversionComponent() {
  // Never destroyed: at process exit COM and the component may be gone
  // already, and the quit procedure releases it in time.
  static ConversionComponent* component = new ConversionComponent();
  return *component;
}

}  // namespace vistrel
