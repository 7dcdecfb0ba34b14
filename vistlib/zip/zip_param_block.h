#pragma once
// The block of arguments that the library hands to the packer ZIPDLL.DLL, and
// the record the packer hands back to our callback. Both sides include this
// header. The shipped library is 32-bit, where the layout is a fixed contract
// (checked below); the 64-bit test build uses the natural layout of the same
// fields on both sides.
#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define ZIPDLL_CALL __stdcall
#else
#define ZIPDLL_CALL
#endif

namespace vistlib::zip {

constexpr int32_t kParamBlockVersion = 140;
constexpr int32_t kParamBlockCheck = 7;
constexpr std::size_t kPathBufferSize = 256;      // archive path and each specification
constexpr std::size_t kPasswordBufferSize = 81;
constexpr std::size_t kMaxSpecs = 4097;
constexpr std::size_t kCallbackTextSize = 512;

// Flags in the block are -1 for true and 0 for false.
constexpr int32_t kTrue = -1;
constexpr int32_t kFalse = 0;
inline int32_t Flag(bool value) { return value ? kTrue : kFalse; }

// Action codes of the callback record.
enum CallbackAction : int32_t {
  kActionStart = 1,     // a file starts: text = its name, fileSize = its size
  kActionProgress = 2,  // fileSize = bytes read since the last call
  kActionEnd = 3,       // the file is done
  kActionMessage = 4,   // text = a message, errorCode = its code (0 for information)
};

struct CallbackRecord {
  void* handle;         // owner window from the block
  void* caller;         // from the block, unchanged
  int32_t version;      // kParamBlockVersion
  int32_t reserved;
  int32_t actionCode;
  int32_t errorCode;
  int32_t fileSize;
  char text[kCallbackTextSize];
};

// Returns -1 to ask the packer to stop, 0 to go on.
using ZipCallback = int32_t(ZIPDLL_CALL*)(CallbackRecord* record);

struct ParamBlock {
  void* handle;               // owner window
  void* caller;               // returned in each callback record
  int32_t version;            // kParamBlockVersion
  ZipCallback callback;
  int32_t trace;
  char* password;             // kPasswordBufferSize bytes, zero-terminated
  int32_t reserved24;
  int32_t encrypt;
  int32_t systemFiles;        // include hidden and system files
  int32_t flag36;
  int32_t flag40;
  int32_t noDirEntries;       // do not store directory entries
  int32_t flag48;
  int32_t verbose;
  int32_t quiet;
  int32_t level;              // compression level 0..9
  int32_t flag64;
  int32_t flag68;
  int32_t junkDirNames;       // store file names without their folders
  int32_t recurse;
  int32_t grow;               // add to an existing archive
  int32_t forceDos;           // 8.3 names
  int32_t move;               // delete each source file once it is packed
  int32_t flag92;
  int32_t update;
  int32_t freshen;
  int32_t flag104;
  int32_t latestTime;         // archive time = newest entry
  int32_t reserved112[2];
  int32_t specCount;
  char* archivePath;          // kPathBufferSize bytes, zero-terminated
  int32_t check;              // kParamBlockCheck
  char* specs[kMaxSpecs];     // kPathBufferSize bytes each, zero-terminated
};

// The packer's two entry points.
using ZipDllExecFn = int32_t(ZIPDLL_CALL*)(ParamBlock* block);
using GetZipDllVersionFn = int32_t(ZIPDLL_CALL*)();

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(ParamBlock, handle) == 0);
static_assert(offsetof(ParamBlock, caller) == 4);
static_assert(offsetof(ParamBlock, version) == 8);
static_assert(offsetof(ParamBlock, callback) == 12);
static_assert(offsetof(ParamBlock, trace) == 16);
static_assert(offsetof(ParamBlock, password) == 20);
static_assert(offsetof(ParamBlock, reserved24) == 24);
static_assert(offsetof(ParamBlock, encrypt) == 28);
static_assert(offsetof(ParamBlock, systemFiles) == 32);
static_assert(offsetof(ParamBlock, flag36) == 36);
static_assert(offsetof(ParamBlock, flag40) == 40);
static_assert(offsetof(ParamBlock, noDirEntries) == 44);
static_assert(offsetof(ParamBlock, flag48) == 48);
static_assert(offsetof(ParamBlock, verbose) == 52);
static_assert(offsetof(ParamBlock, quiet) == 56);
static_assert(offsetof(ParamBlock, level) == 60);
static_assert(offsetof(ParamBlock, flag64) == 64);
static_assert(offsetof(ParamBlock, flag68) == 68);
static_assert(offsetof(ParamBlock, junkDirNames) == 72);
static_assert(offsetof(ParamBlock, recurse) == 76);
static_assert(offsetof(ParamBlock, grow) == 80);
static_assert(offsetof(ParamBlock, forceDos) == 84);
static_assert(offsetof(ParamBlock, move) == 88);
static_assert(offsetof(ParamBlock, flag92) == 92);
static_assert(offsetof(ParamBlock, update) == 96);
static_assert(offsetof(ParamBlock, freshen) == 100);
static_assert(offsetof(ParamBlock, flag104) == 104);
static_assert(offsetof(ParamBlock, latestTime) == 108);
static_assert(offsetof(ParamBlock, reserved112) == 112);
static_assert(offsetof(ParamBlock, specCount) == 120);
static_assert(offsetof(ParamBlock, archivePath) == 124);
static_assert(offsetof(ParamBlock, check) == 128);
static_assert(offsetof(ParamBlock, specs) == 132);
static_assert(sizeof(ParamBlock) == 132 + 4 * kMaxSpecs);
static_assert(offsetof(CallbackRecord, caller) == 4);
static_assert(offsetof(CallbackRecord, actionCode) == 16);
static_assert(offsetof(CallbackRecord, errorCode) == 20);
static_assert(offsetof(CallbackRecord, fileSize) == 24);
static_assert(offsetof(CallbackRecord, text) == 28);
#endif

}  // namespace vistlib::zip
