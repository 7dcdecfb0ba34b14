// AddToZip and MakeExe through vistlib.dll's exports, in a host program whose
// folder each test lays out (with or without the packer and the stub). The
// archives are checked with Info-ZIP's unzip and zipinfo and Python's zipfile,
// which run as Linux programs beside Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "param_block_builder.h"
#include "test_pictures.h"

namespace {

std::string BinFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path);
  return s.substr(0, s.find_last_of('\\'));
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << data;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

// Picture-like bytes: long runs with some noise, so deflate has work to do.
std::string PictureBytes(std::size_t size, unsigned seed) {
  std::string data(size, '\0');
  unsigned x = seed;
  for (std::size_t i = 0; i < size; ++i) {
    if (i % 97 == 0) x = x * 1103515245u + 12345u;
    data[i] = static_cast<char>((x >> 16) & 0x3F);
  }
  return data;
}

struct HostResult {
  DWORD exitCode = 0;
  std::vector<std::string> messages;
  std::string output;
};

struct UnixResult {
  int code = -1;
  std::string output;
};

class ZipExportsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = "vistrel_win32_zip_" + std::to_string(GetCurrentProcessId()) + "_" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name();
    root_ = "Z:\\tmp\\" + name;
    unixRoot_ = "/tmp/" + name;
    RemoveTree(root_);
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr));
    host_ = root_ + "\\host";
    work_ = root_ + "\\work";
    CreateDirectoryA(host_.c_str(), nullptr);
    CreateDirectoryA(work_.c_str(), nullptr);
    CreateDirectoryA((work_ + "\\in").c_str(), nullptr);
    const std::string bin = BinFolder();
    ASSERT_TRUE(
        CopyFileA((bin + "\\vistlib.dll").c_str(), (host_ + "\\vistlib.dll").c_str(), FALSE));
    ASSERT_TRUE(
        CopyFileA((bin + "\\zip_host.exe").c_str(), (host_ + "\\zip_host.exe").c_str(), FALSE));
  }
  void TearDown() override { RemoveTree(root_); }

  void WithPacker(const char* file = "ZIPDLL.DLL") {
    ASSERT_TRUE(
        CopyFileA((BinFolder() + "\\" + file).c_str(), (host_ + "\\ZIPDLL.DLL").c_str(), FALSE));
  }
  void WithoutPacker() { DeleteFileA((host_ + "\\ZIPDLL.DLL").c_str()); }

  // A stand-in stub of a stub's size, with a false local-header signature.
  std::string WithStub() {
    std::string stub = PictureBytes(20000, 7);
    stub.replace(15000, 4, std::string("PK\x03\x04", 4));
    WriteFile(host_ + "\\ZIPSFX.BIN", stub);
    return stub;
  }

  std::string W(const std::string& rel) const { return work_ + "\\" + rel; }
  std::string U(const std::string& rel) const { return unixRoot_ + "/work/" + rel; }

  HostResult RunHost(const std::vector<std::string>& args) {
    HostResult result;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    EXPECT_TRUE(CreatePipe(&readEnd, &writeEnd, &sa, 0));
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::string command = "\"" + host_ + "\\zip_host.exe\"";
    for (const std::string& a : args) command += " \"" + a + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        work_.c_str(), &si, &pi);
    CloseHandle(writeEnd);
    EXPECT_TRUE(started) << GetLastError();
    if (!started) {
      CloseHandle(readEnd);
      return result;
    }
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
      result.output.append(buffer, got);
    CloseHandle(readEnd);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.rfind("message: ", 0) == 0) result.messages.push_back(line.substr(9));
    }
    return result;
  }

  // Runs a shell command as a Linux program; Wine cannot report a Linux
  // program's exit code, so the shell writes it to a file we wait for.
  UnixResult Unix(const std::string& shellCommand) {
    const std::string out = root_ + "\\unix_out.txt", rc = root_ + "\\unix_rc.txt";
    DeleteFileA(out.c_str());
    DeleteFileA(rc.c_str());
    std::string command = "/bin/sh -c \"" + shellCommand + " >" + unixRoot_ +
                          "/unix_out.txt 2>&1; echo $? >" + unixRoot_ + "/unix_rc.tmp; mv " +
                          unixRoot_ + "/unix_rc.tmp " + unixRoot_ + "/unix_rc.txt\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    UnixResult result;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
      ADD_FAILURE() << "cannot run " << shellCommand;
      return result;
    }
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    const ULONGLONG deadline = GetTickCount64() + 60000;
    while (!Exists(rc) && GetTickCount64() < deadline) Sleep(20);
    if (!Exists(rc)) {
      ADD_FAILURE() << "no answer from " << shellCommand;
      return result;
    }
    result.code = std::stoi(ReadAll(rc));
    result.output = ReadAll(out);
    return result;
  }

  // Info-ZIP's test, zipinfo's listing and Python's zipfile must all accept it.
  std::string CheckArchive(const std::string& rel) {
    const UnixResult test = Unix("unzip -t " + U(rel));
    EXPECT_LE(test.code, 1) << test.output;  // 1: a stub before the archive, warned about
    EXPECT_NE(test.output.find("No errors detected"), std::string::npos) << test.output;
    const UnixResult py = Unix(
        "/usr/bin/python3 -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
        "print(z.testzip(), sorted(z.namelist()))' " +
        U(rel));
    EXPECT_EQ(py.code, 0) << py.output;
    return py.output;
  }

  std::string root_, unixRoot_, host_, work_;
};

TEST_F(ZipExportsTest, AddToZipCreatesTheArchiveWithTheFileAtLevelNineWithoutItsFolder) {
  WithPacker();
  const std::string picture = PictureBytes(300000, 1);
  WriteFile(W("in\\shot.bmp"), picture);
  const HostResult run = RunHost({"add", W("in\\shot.bmp"), W("a.zip")});
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_TRUE(run.messages.empty()) << run.output;
  EXPECT_EQ(CheckArchive("a.zip"), "None ['shot.bmp']\n");
  const UnixResult info = Unix("zipinfo " + U("a.zip"));
  EXPECT_NE(info.output.find("defX"), std::string::npos) << info.output;  // deflated, maximum
  const UnixResult same = Unix("unzip -p " + U("a.zip") + " shot.bmp | cmp - " + U("in/shot.bmp"));
  EXPECT_EQ(same.code, 0) << same.output;
}

TEST_F(ZipExportsTest, TwoCallsGiveBothFiles) {
  WithPacker();
  WriteFile(W("in\\one.bmp"), PictureBytes(50000, 2));
  WriteFile(W("in\\two.bmp"), PictureBytes(50000, 3));
  const HostResult run =
      RunHost({"add", W("in\\one.bmp"), W("a.zip"), "add", W("in\\two.bmp"), W("a.zip")});
  EXPECT_TRUE(run.messages.empty()) << run.output;
  EXPECT_EQ(CheckArchive("a.zip"), "None ['one.bmp', 'two.bmp']\n");
}

TEST_F(ZipExportsTest, WithoutThePackerTheMessageAppearsAndTheArchiveStaysAsItWas) {
  WithPacker();
  WriteFile(W("in\\one.bmp"), PictureBytes(50000, 2));
  WriteFile(W("in\\two.bmp"), PictureBytes(50000, 3));
  RunHost({"add", W("in\\one.bmp"), W("a.zip")});
  const std::string before = ReadAll(W("a.zip"));
  ASSERT_FALSE(before.empty());
  WithoutPacker();
  const HostResult run = RunHost({"add", W("in\\two.bmp"), W("a.zip")});
  EXPECT_EQ(run.messages, std::vector<std::string>{"ZIPDLL.DLL not found"}) << run.output;
  EXPECT_EQ(ReadAll(W("a.zip")), before);
}

TEST_F(ZipExportsTest, PackerFailureMidwayLeavesThePreviousArchiveIntact) {
  WithPacker();
  WriteFile(W("in\\one.bmp"), PictureBytes(50000, 2));
  RunHost({"add", W("in\\one.bmp"), W("a.zip")});
  const std::string before = ReadAll(W("a.zip"));
  WriteFile(W("in\\two.bmp"), PictureBytes(50000, 3));
  WriteFile(W("in\\three.bmp"), PictureBytes(50000, 4));
  // Held open without sharing: the packer cannot read it when its turn comes.
  HANDLE locked =
      CreateFileA(W("in\\two.bmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  const HostResult run = RunHost({"add", W("in\\*.bmp"), W("a.zip")});
  CloseHandle(locked);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(ReadAll(W("a.zip")), before);
  // Nothing half-written is left beside it.
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(W("*").c_str(), &data);
  std::vector<std::string> names;
  do {
    names.push_back(data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "a.zip", "in"}));
  EXPECT_EQ(CheckArchive("a.zip"), "None ['one.bmp']\n");
}

TEST_F(ZipExportsTest, ACrashInThePackerIsReportedAndSurvived) {
  WithPacker("zipdll_faulty.dll");
  WriteFile(W("in\\one.bmp"), "data");
  const HostResult run =
      RunHost({"add", W("in\\one.bmp"), W("a.zip"), "add", W("in\\one.bmp"), W("a.zip")});
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_EQ(run.messages, (std::vector<std::string>{"Fatal DLL Error: abort exception",
                                                    "Fatal DLL Error: abort exception"}))
      << run.output;
}

class MakeExeExportTest : public ZipExportsTest {
 protected:
  void SetUp() override {
    ZipExportsTest::SetUp();
    WithPacker();
    stub_ = WithStub();
    WriteFile(W("in\\shot.bmp"), PictureBytes(200000, 5));
    WriteFile(W("in\\note.txt"), "a note");
    RunHost({"add", W("in\\shot.bmp"), W("a.zip"), "add", W("in\\note.txt"), W("a.zip")});
    archive_ = ReadAll(W("a.zip"));
    ASSERT_FALSE(archive_.empty());
  }
  std::string Expected() const {
    std::string header(256, '\0');
    header.replace(0, 7, std::string("MPU\0\x17\0\0", 7));
    header.replace(7, 23, "Self-extracting Archive");
    return stub_ + header + archive_;
  }
  std::string stub_, archive_;
};

TEST_F(MakeExeExportTest, StubBesideTheHostHeaderAndArchiveMakeTheExecutable) {
  const HostResult run = RunHost({"exe", W("a.zip")});
  EXPECT_TRUE(run.messages.empty()) << run.output;
  EXPECT_FALSE(Exists(W("a.zip")));
  ASSERT_TRUE(Exists(W("a.exe")));
  EXPECT_EQ(ReadAll(W("a.exe")), Expected());
  EXPECT_EQ(CheckArchive("a.exe"), "None ['note.txt', 'shot.bmp']\n");
}

TEST_F(MakeExeExportTest, ALargerExistingExecutableIsReplacedWhole) {
  WriteFile(W("a.exe"), std::string(600000, 'E'));
  const HostResult run = RunHost({"exe", W("a.zip")});
  EXPECT_TRUE(run.messages.empty()) << run.output;
  EXPECT_EQ(ReadAll(W("a.exe")), Expected());
}

TEST_F(MakeExeExportTest, ATextFileIsRefusedAndNothingChanges) {
  ASSERT_TRUE(MoveFileA(W("a.zip").c_str(), W("a.txt").c_str()));
  const HostResult run = RunHost({"exe", W("a.txt")});
  EXPECT_EQ(run.messages, std::vector<std::string>{"Error: input file is not a zip file"})
      << run.output;
  EXPECT_EQ(ReadAll(W("a.txt")), archive_);
  EXPECT_FALSE(Exists(W("a.exe")));
}

TEST_F(MakeExeExportTest, WithoutTheStubNothingChanges) {
  DeleteFileA((host_ + "\\ZIPSFX.BIN").c_str());
  const HostResult run = RunHost({"exe", W("a.zip")});
  EXPECT_EQ(run.messages, std::vector<std::string>{"Error - ZIPSFX.BIN not found"}) << run.output;
  EXPECT_EQ(ReadAll(W("a.zip")), archive_);
  EXPECT_FALSE(Exists(W("a.exe")));
}

// With the real stub: the executable made by MakeExe unpacks itself, without
// its dialog, into a folder given on its command line.
TEST_F(ZipExportsTest, TheExecutableExtractsIdenticalFilesUnattended) {
  WithPacker();
  ASSERT_TRUE(
      CopyFileA((BinFolder() + "\\ZIPSFX.BIN").c_str(), (host_ + "\\ZIPSFX.BIN").c_str(), FALSE));
  const std::string picture = PictureBytes(400000, 9);
  WriteFile(W("in\\shot.bmp"), picture);
  WriteFile(W("in\\note.txt"), "a note\r\n");
  HostResult run = RunHost({"add", W("in\\shot.bmp"), W("a.zip"), "add", W("in\\note.txt"),
                            W("a.zip"), "exe", W("a.zip")});
  EXPECT_TRUE(run.messages.empty()) << run.output;
  ASSERT_TRUE(Exists(W("a.exe")));
  EXPECT_EQ(CheckArchive("a.exe"), "None ['note.txt', 'shot.bmp']\n");

  const std::string target = W("out");
  std::string command = "\"" + W("a.exe") + "\" /d \"" + target + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             work_.c_str(), &si, &pi));
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(ReadAll(target + "\\shot.bmp"), picture);
  EXPECT_EQ(ReadAll(target + "\\note.txt"), "a note\r\n");
}

// Archives the packer makes at every level, read by other programs: Info-ZIP's
// unzip and 7-Zip test them and extract every file byte for byte, and so does
// the executable made with our stub.
TEST_F(ZipExportsTest, EveryLevelIsReadByUnzipSevenZipAndTheStubByteForByte) {
  WithPacker();
  ASSERT_TRUE(
      CopyFileA((BinFolder() + "\\ZIPSFX.BIN").c_str(), (host_ + "\\ZIPSFX.BIN").c_str(), FALSE));
  // The capture spans stretches packed both ways: a desktop, then a photo.
  std::string shot = ziptest::AsString(ziptest::DesktopLike(1000, 250));
  shot += ziptest::AsString(ziptest::PhotoLike(1000, 200, 5));
  std::string noise(30000, '\0');
  ziptest::Noise n{3};
  for (char& c : noise) c = static_cast<char>(n.Next(127));
  // Literal blocks of both kinds in one stream: Huffman for the photo,
  // stored for the random bytes between.
  std::string mixed = ziptest::AsString(ziptest::PhotoLike(300, 100, 7));
  uint32_t state = 1;
  for (int i = 0; i < 40000; ++i) {
    state = state * 1664525u + 1013904223u;
    mixed += static_cast<char>(state >> 24);
  }
  mixed += ziptest::AsString(ziptest::PhotoLike(300, 100, 8));
  std::string note;
  for (int i = 0; i < 200; ++i) note += "Line " + std::to_string(i) + " of the note.\r\n";
  const std::vector<std::pair<std::string, std::string>> files = {
      {"shot.bmp", shot},
      {"photo.bmp", ziptest::AsString(ziptest::PhotoLike(300, 200, 1))},
      {"note.txt", note},
      {"noise.bin", noise},
      {"mixed.bin", mixed},
      {"empty.txt", ""}};
  std::vector<std::string> specs;
  for (const auto& [name, data] : files) {
    WriteFile(W("in\\" + name), data);
    specs.push_back(W("in\\" + name));
  }
  auto sameFiles = [&](const std::string& folder) {
    for (const auto& [name, data] : files) {
      EXPECT_TRUE(Exists(folder + "\\" + name)) << folder << " " << name;
      EXPECT_TRUE(ReadAll(folder + "\\" + name) == data) << folder << " " << name;
    }
  };

  HMODULE packer = LoadLibraryA((host_ + "\\ZIPDLL.DLL").c_str());
  ASSERT_NE(packer, nullptr);
  auto exec = reinterpret_cast<vistlib::zip::ZipDllExecFn>(
      reinterpret_cast<void*>(GetProcAddress(packer, "ZipDllExec")));
  ASSERT_NE(exec, nullptr);
  for (int level = 0; level <= 9; ++level) {
    SCOPED_TRACE("level " + std::to_string(level));
    const std::string name = "level" + std::to_string(level);
    vistlib::zip::ZipSettings settings;
    settings.AddCompLevel = level;
    vistlib::zip::ParamBlockBuilder builder(settings, nullptr, nullptr, nullptr, specs,
                                            W(name + ".zip"));
    EXPECT_EQ(exec(builder.Block()), static_cast<int32_t>(files.size()));

    const UnixResult unzipTest = Unix("unzip -t " + U(name + ".zip"));
    EXPECT_EQ(unzipTest.code, 0) << unzipTest.output;
    const UnixResult unzip = Unix("unzip -q " + U(name + ".zip") + " -d " + U(name + "_unzip"));
    EXPECT_EQ(unzip.code, 0) << unzip.output;
    sameFiles(W(name + "_unzip"));

    const UnixResult sevenTest = Unix("7z t " + U(name + ".zip"));
    EXPECT_EQ(sevenTest.code, 0) << sevenTest.output;
    EXPECT_NE(sevenTest.output.find("Everything is Ok"), std::string::npos) << sevenTest.output;
    const UnixResult seven = Unix("7z x -y -o" + U(name + "_7z") + " " + U(name + ".zip"));
    EXPECT_EQ(seven.code, 0) << seven.output;
    sameFiles(W(name + "_7z"));

    HostResult made = RunHost({"exe", W(name + ".zip")});
    EXPECT_TRUE(made.messages.empty()) << made.output;
    std::string command = "\"" + W(name + ".exe") + "\" /d \"" + W(name + "_stub") + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               work_.c_str(), &si, &pi));
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    EXPECT_EQ(code, 0u);
    sameFiles(W(name + "_stub"));
  }
  FreeLibrary(packer);
}

}  // namespace
