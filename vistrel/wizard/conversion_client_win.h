#pragma once
// The program's side of the image-conversion component (TiffDLL.ClsTiffDLL):
// created once by ProgID, called late-bound by name, released at quit.
#include <oaidl.h>
#include <windows.h>

#include <cstdint>
#include <string>

namespace vistrel {

class ConversionComponent {
 public:
  ConversionComponent() = default;
  ~ConversionComponent();
  ConversionComponent(const ConversionComponent&) = delete;
  ConversionComponent& operator=(const ConversionComponent&) = delete;

  // CLSIDFromProgID + CoCreateInstance (COM must be initialised on this
  // thread). False when the component cannot be created; true when it exists.
  bool Create();
  bool Available() const { return dispatch_ != nullptr; }

  // Calls ConvertImage by name with the command as a VARIANT string by
  // reference and returns the component's number (0 = success). When the
  // component is missing or the call itself fails, a non-zero number. The
  // last error is then the component's: the system's cause of a failed write.
  int32_t ConvertImage(const std::string& command);

  void Release();

  // Returned by ConvertImage when there is no component or the call fails
  // before the component could answer.
  static constexpr int32_t kCallFailed = -1;

 private:
  IDispatch* dispatch_ = nullptr;
  DISPID convertImageId_ = DISPID_UNKNOWN;
};

// The program's one instance.
ConversionComponent& TheConversionComponent();

}  // namespace vistrel
