// zip_bench.exe <file> <archive> <runs>: times AddToZip of one file into a new
// archive, as the program calls it (vistlib.dll loaded by name, ZIPDLL.DLL
// loaded for each run). Prints one line per run: seconds, archive size and the
// processor seconds the run took on all threads.
// zip_bench.exe --exe <archive>: turns the archive into a self-extractor, as
// the program does (MakeExe), untimed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "vistlib.h"

namespace {

double Seconds(const FILETIME& t) {
  return static_cast<double>(static_cast<ULONGLONG>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
}

double ProcessorSeconds() {
  FILETIME created, ended, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
  return Seconds(kernel) + Seconds(user);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || (argc < 4 && std::strcmp(argv[1], "--exe") != 0)) {
    std::printf("usage: zip_bench <file> <archive> <runs> | zip_bench --exe <archive>\n");
    return 2;
  }
  HMODULE library = LoadLibraryA("vistlib.dll");
  if (library == nullptr) return 2;
  if (std::strcmp(argv[1], "--exe") == 0) {
    auto makeExe = reinterpret_cast<vistlib::MakeExeFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "MakeExe")));
    makeExe(argv[2]);
    FreeLibrary(library);
    return 0;
  }
  auto addToZip = reinterpret_cast<vistlib::AddToZipFn>(
      reinterpret_cast<void*>(GetProcAddress(library, "AddToZip")));
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const int runs = std::atoi(argv[3]);
  for (int i = 0; i < runs; ++i) {
    DeleteFileA(argv[2]);
    LARGE_INTEGER start, end;
    const double cpuBefore = ProcessorSeconds();
    QueryPerformanceCounter(&start);
    addToZip(argv[1], argv[2]);
    QueryPerformanceCounter(&end);
    const double cpu = ProcessorSeconds() - cpuBefore;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(argv[2], GetFileExInfoStandard, &data);
    std::printf("%.6f %lu %.6f\n",
                static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart,
                data.nFileSizeLow, cpu);
    std::fflush(stdout);
  }
  FreeLibrary(library);
  return 0;
}
