// The component as the program meets it: found by ProgID through this test
// program's manifest (no registry entries), called late-bound by name, with
// the picture going both ways through the real clipboard.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "conversion_client_win.h"
#include "effects.h"
#include "encoders.h"
#include "result_codes.h"
#include "win_test_support.h"

namespace tiffdll {
namespace {

namespace fs = std::filesystem;
using vistrel::ConversionComponent;

class ComponentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ASSERT_TRUE(component_.Create());
    folder_ = fs::temp_directory_path() / ("win32_convert_" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    component_.Release();
    CoUninitialize();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    return names;
  }

  ConversionComponent component_;
  fs::path folder_;
};

bool KeyExists(HKEY root, const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

using RegisterFn = HRESULT(STDAPICALLTYPE*)();

RegisterFn Export(const char* name) {
  HMODULE module = LoadLibraryA("TiffDLL.dll");
  return reinterpret_cast<RegisterFn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

TEST(ComponentRegistration, ManifestAloneFindsTheClassWithoutRegistryEntries) {
  ASSERT_EQ(Export("DllUnregisterServer")(), S_OK);
  ASSERT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "TiffDLL.ClsTiffDLL"));
  ASSERT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{F2764724-C794-435A-BFEB-62E24A50AC72}"));
  ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Classes\\TiffDLL.ClsTiffDLL"));
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  {
    ConversionComponent component;
    EXPECT_TRUE(component.Create());
    EXPECT_TRUE(component.Available());
    EXPECT_EQ(component.ConvertImage("not a command"), kBadCommand);
  }
  CoUninitialize();
}

// Runs a program beside this one and returns its exit code.
DWORD RunBeside(const char* exe) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string line = exe;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return 999;
  DWORD code = 998;
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

TEST(ComponentRegistration, WithoutManifestOrRegistrationTheClassIsNotFound) {
  // Catches a stray registration that would make the manifest test pass on its own.
  ASSERT_EQ(Export("DllUnregisterServer")(), S_OK);
  EXPECT_EQ(RunBeside("create_probe_plain.exe"), 1u);
}

TEST(ComponentRegistration, RegisterWritesTheClassAndUnregisterRemovesIt) {
  ASSERT_EQ(Export("DllRegisterServer")(), S_OK);
  char value[MAX_PATH] = {};
  LONG size = sizeof value;
  EXPECT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, "TiffDLL.ClsTiffDLL\\CLSID", value, &size), ERROR_SUCCESS);
  EXPECT_STREQ(value, "{F2764724-C794-435A-BFEB-62E24A50AC72}");
  size = sizeof value;
  EXPECT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT,
                           "CLSID\\{F2764724-C794-435A-BFEB-62E24A50AC72}\\InprocServer32", value, &size),
            ERROR_SUCCESS);
  EXPECT_NE(std::string(value).find("TiffDLL.dll"), std::string::npos) << value;
  EXPECT_EQ(Export("DllUnregisterServer")(), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "TiffDLL.ClsTiffDLL"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{F2764724-C794-435A-BFEB-62E24A50AC72}"));
}

TEST_F(ComponentTest, ClipboardToClipboardWithEveryEffect) {
  Image source = test::TestPicture(40, 30);
  ASSERT_TRUE(test::PutBitmapOnClipboard(source));
  const std::string command = "source=clipboard, dest=clipboard,inv=1 ,mirror=2 ,mirror=1 ,rot=90,rescale=20pix";
  ASSERT_EQ(component_.ConvertImage(command), kSuccess);
  auto result = test::ReadBitmapFromClipboard();
  ASSERT_TRUE(result);
  Command expectedCommand = *ParseCommand(command).command;
  EXPECT_EQ(*result, *ApplyEffects(source, expectedCommand).image);
  EXPECT_EQ(result->width, 15);
  EXPECT_EQ(result->height, 20);
}

TEST_F(ComponentTest, EveryFileFormatIsWrittenWithNoTemporaryLeftOver) {
  Image source = test::TestPicture(50, 20);
  ASSERT_TRUE(test::PutBitmapOnClipboard(source));
  struct Case {
    const char* name;
    std::vector<uint8_t> magic;
  };
  const Case cases[] = {{"a.png", {0x89, 'P', 'N', 'G'}}, {"b.jpg", {0xFF, 0xD8, 0xFF}},
                        {"c.tif", {'I', 'I', 42, 0}},     {"d.pcx", {0x0A, 5, 1, 8}},
                        {"e.dcx", {0xB1, 0x68, 0xDE, 0x3A}}};
  for (const Case& c : cases) {
    fs::path path = folder_ / c.name;
    ASSERT_EQ(component_.ConvertImage("source=clipboard, dest=" + path.string()), kSuccess) << c.name;
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> head(c.magic.size());
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    EXPECT_EQ(head, c.magic) << c.name;
  }
  auto pcx = fs::file_size(folder_ / "d.pcx");
  EXPECT_EQ(pcx, EncodePcx(source)->size());
  EXPECT_EQ(FolderEntries(folder_).size(), 5u);
  // The clipboard is left as it was.
  EXPECT_EQ(*test::ReadBitmapFromClipboard(), source);
}

TEST_F(ComponentTest, PathsWithCommasAndSpacesAndReplacingAnOlderFile) {
  fs::path sub = folder_ / "shots, old ones";
  fs::create_directories(sub);
  fs::path path = sub / "my shot, 1.png";
  std::ofstream(path) << "an older file";
  ASSERT_TRUE(test::PutBitmapOnClipboard(test::TestPicture(8, 8)));
  ASSERT_EQ(component_.ConvertImage("source=clipboard, dest=" + path.string()), kSuccess);
  EXPECT_EQ(fs::file_size(path), EncodePng(test::TestPicture(8, 8))->size());
  EXPECT_EQ(FolderEntries(sub).size(), 1u);
}

TEST_F(ComponentTest, MissingFolderGives33211AndWritesNothing) {
  ASSERT_TRUE(test::PutBitmapOnClipboard(test::TestPicture(8, 8)));
  fs::path path = folder_ / "missing" / "x.jpg";
  SetLastError(0);
  EXPECT_EQ(component_.ConvertImage("source=clipboard, dest=" + path.string()), 33211);
  // The system's cause comes back through the COM call, for the caller's message.
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(fs::exists(folder_ / "missing"));
  EXPECT_TRUE(FolderEntries(folder_).empty());
}

TEST_F(ComponentTest, ErrorNumbersForTheCallersMistakes) {
  ASSERT_TRUE(test::EmptyTheClipboard());
  EXPECT_EQ(component_.ConvertImage("source=clipboard, dest=clipboard,rot=90"), kNoBitmap);
  ASSERT_TRUE(test::PutBitmapOnClipboard(test::TestPicture(8, 8)));
  EXPECT_EQ(component_.ConvertImage("source=clipboard, dest=" + (folder_ / "a.gif").string()),
            kUnknownExtension);
  EXPECT_EQ(component_.ConvertImage("source=clipboard, dest=clipboard,rescale=0.4pix"), kWidthTooSmall);
  // A decimal comma is read (rot=12,5); a number with two separators is not.
  EXPECT_EQ(component_.ConvertImage("source=clipboard, dest=clipboard,rot=1,5,5"), kBadCommand);
  // None of these touched the clipboard.
  EXPECT_EQ(*test::ReadBitmapFromClipboard(), test::TestPicture(8, 8));
}

TEST_F(ComponentTest, LateBoundCallShapes) {
  // What a late-bound caller may do besides the program's own call.
  CLSID clsid;
  ASSERT_EQ(CLSIDFromProgID(L"TiffDLL.ClsTiffDLL", &clsid), S_OK);
  IDispatch* dispatch = nullptr;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                             reinterpret_cast<void**>(&dispatch)),
            S_OK);
  LPOLESTR name = const_cast<LPOLESTR>(L"convertimage");
  DISPID id = 0;
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
  LPOLESTR other = const_cast<LPOLESTR>(L"SaveImage");
  DISPID otherId = 0;
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &other, 1, 0, &otherId), DISP_E_UNKNOWNNAME);

  // A string by value works as well as by reference.
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_BSTR;
  argument.bstrVal = SysAllocString(L"source=clipboard");
  DISPPARAMS params{&argument, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(dispatch->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, kBadCommand);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(dispatch->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);
  VariantClear(&argument);
  dispatch->Release();
}

}  // namespace
}  // namespace tiffdll
