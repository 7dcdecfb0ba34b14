#include "packer.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <set>

#include "whole_deflate.h"

namespace zipdll {
namespace {

using vistlib::zip::kFalse;
using vistlib::zip::kMaxSpecs;
using vistlib::zip::kParamBlockCheck;
using vistlib::zip::kParamBlockVersion;
using vistlib::zip::kPasswordBufferSize;
using vistlib::zip::kPathBufferSize;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// A zero-terminated buffer of known size as a string.
std::string BufferText(const char* buffer, std::size_t size) {
  if (buffer == nullptr) return "";
  std::size_t n = 0;
  while (n < size && buffer[n] != '\0') ++n;
  return std::string(buffer, n);
}

std::string JoinFolder(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (IsSeparator(folder.back()) || folder.back() == ':') return folder + name;
  // Keep to the separator the caller used; Windows takes either.
  const bool forward =
      folder.find('/') != std::string::npos && folder.find('\\') == std::string::npos;
  return folder + (forward ? "/" : "\\") + name;
}

// The name an archive entry gets for a path as it was given: no drive, no
// leading separators, no "." or ".." parts, '/' between folders.
std::string EntryPath(const std::string& path) {
  std::string rest = path;
  if (rest.size() >= 2 && rest[1] == ':') rest.erase(0, 2);
  std::string result;
  std::size_t at = 0;
  while (at <= rest.size()) {
    std::size_t end = at;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    const std::string part = rest.substr(at, end - at);
    if (!part.empty() && part != "." && part != "..") {
      if (!result.empty()) result += '/';
      result += part;
    }
    at = end + 1;
  }
  return result;
}

struct Found {
  std::string path;
  std::string entry;
  uint64_t size = 0;
  std::time_t modified = 0;
  bool directory = false;
};

class Expander {
 public:
  Expander(const PackRequest& request, PackerFileSystem& fs) : request_(request), fs_(fs) {}

  // Files (and, when asked, folders) that a specification names.
  std::vector<Found> Expand(const std::string& spec) {
    std::vector<Found> found;
    const std::size_t split = spec.find_last_of("\\/:");
    std::string folder = split == std::string::npos ? "" : spec.substr(0, split + 1);
    const std::string pattern = split == std::string::npos ? spec : spec.substr(split + 1);
    // "dir\" lists "dir"; a drive or root keeps its separator.
    if (folder.size() > 1 && IsSeparator(folder.back()) && folder[folder.size() - 2] != ':') {
      folder.pop_back();
    }
    if (!pattern.empty()) Walk(folder, pattern, found);
    return found;
  }

 private:
  void Walk(const std::string& folder, const std::string& pattern, std::vector<Found>& found) {
    const std::optional<std::vector<DirItem>> items = fs_.List(folder);
    if (!items) return;
    for (const DirItem& item : *items) {
      if (item.name == "." || item.name == "..") continue;
      if (!request_.systemFiles && (item.hidden || item.system)) continue;
      const std::string path = JoinFolder(folder, item.name);
      if (item.directory) {
        if (!request_.recurse) continue;
        if (!request_.noDirEntries && !request_.junkDirNames) {
          found.push_back({path, EntryPath(path) + "/", 0, item.modified, true});
        }
        Walk(path, pattern, found);
      } else if (WildcardMatch(pattern, item.name)) {
        found.push_back({path, request_.junkDirNames ? item.name : EntryPath(path), item.size,
                         item.modified, false});
      }
    }
  }

  const PackRequest& request_;
  PackerFileSystem& fs_;
};

// A libzip source that reads one file and reports to the caller's callback as
// it goes; a stop request there fails the source and so the whole run.
struct FileSourceState {
  std::string path;
  std::string entry;
  uint64_t size = 0;
  std::time_t modified = 0;
  PackerReport* report = nullptr;
  std::FILE* file = nullptr;
  zip_error_t error;
};

zip_int64_t FileSourceCallback(void* userdata, void* data, zip_uint64_t length,
                               zip_source_cmd_t command) {
  auto* state = static_cast<FileSourceState*>(userdata);
  switch (command) {
    case ZIP_SOURCE_OPEN:
      if (!state->report->Start(state->entry, state->size)) {
        zip_error_set(&state->error, ZIP_ER_CANCELLED, 0);
        return -1;
      }
      state->file = std::fopen(state->path.c_str(), "rb");
      if (state->file == nullptr) {
        zip_error_set(&state->error, ZIP_ER_OPEN, 0);
        return -1;
      }
      return 0;
    case ZIP_SOURCE_READ: {
      const std::size_t n = std::fread(data, 1, static_cast<std::size_t>(length), state->file);
      if (n < length && std::ferror(state->file)) {
        zip_error_set(&state->error, ZIP_ER_READ, 0);
        return -1;
      }
      if (n > 0 && !state->report->Progress(n)) {
        zip_error_set(&state->error, ZIP_ER_CANCELLED, 0);
        return -1;
      }
      return static_cast<zip_int64_t>(n);
    }
    case ZIP_SOURCE_CLOSE:
      if (state->file != nullptr) std::fclose(state->file);
      state->file = nullptr;
      state->report->End();
      return 0;
    case ZIP_SOURCE_STAT: {
      if (length < sizeof(zip_stat_t)) {
        zip_error_set(&state->error, ZIP_ER_INVAL, 0);
        return -1;
      }
      auto* st = static_cast<zip_stat_t*>(data);
      zip_stat_init(st);
      st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
      st->size = state->size;
      st->mtime = state->modified;
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&state->error, data, length);
    case ZIP_SOURCE_FREE:
      if (state->file != nullptr) std::fclose(state->file);
      zip_error_fini(&state->error);
      delete state;
      return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                            ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
      zip_error_set(&state->error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

// Files up to this size are read whole and deflated here (see
// whole_deflate.h); larger ones stream through libzip's own zlib deflate.
constexpr uint64_t kWholeEntryLimit = 64ull * 1024 * 1024;

// A libzip source that hands over a file already deflated: libzip writes the
// bytes as they are and takes the CRC and sizes from its stat once it is
// closed. Reading and packing happen when libzip opens it, so the caller's
// callback hears of each entry in the order the archive is written.
struct PackedSourceState {
  std::string path;
  std::string entry;
  uint64_t size = 0;
  std::time_t modified = 0;
  int level = 9;
  PackerReport* report = nullptr;
  std::vector<unsigned char> packed;
  std::size_t served = 0;
  bool done = false;
  uint64_t readSize = 0;
  uint32_t crc = 0;
  zip_error_t error;
};

// The rest of an open file, or nothing on a read error.
std::optional<std::vector<unsigned char>> ReadAll(std::FILE* file, uint64_t sizeHint) {
  std::vector<unsigned char> data(static_cast<std::size_t>(sizeHint) + 1);
  std::size_t have = 0;
  for (;;) {
    if (have == data.size()) data.resize(data.size() * 2);  // it grew since it was listed
    const std::size_t n = std::fread(data.data() + have, 1, data.size() - have, file);
    have += n;
    if (n == 0) break;
  }
  if (std::ferror(file)) return std::nullopt;
  data.resize(have);
  return data;
}

zip_int64_t PackFile(PackedSourceState& state) {
  if (!state.report->Start(state.entry, state.size)) {
    zip_error_set(&state.error, ZIP_ER_CANCELLED, 0);
    return -1;
  }
  std::FILE* file = std::fopen(state.path.c_str(), "rb");
  if (file == nullptr) {
    zip_error_set(&state.error, ZIP_ER_OPEN, 0);
    return -1;
  }
  std::optional<std::vector<unsigned char>> data;
  try {
    data = ReadAll(file, state.size);
  } catch (const std::bad_alloc&) {
    std::fclose(file);
    zip_error_set(&state.error, ZIP_ER_MEMORY, 0);
    return -1;
  }
  std::fclose(file);
  if (!data) {
    zip_error_set(&state.error, ZIP_ER_READ, 0);
    return -1;
  }
  bool stopped = false;
  std::optional<std::vector<unsigned char>> packed =
      DeflateWhole(data->data(), data->size(), state.level, [&](std::size_t n) {
        stopped = !state.report->Progress(n);
        return !stopped;
      });
  if (!packed) {
    zip_error_set(&state.error, stopped ? ZIP_ER_CANCELLED : ZIP_ER_MEMORY, 0);
    return -1;
  }
  state.readSize = data->size();
  state.crc = static_cast<uint32_t>(crc32_z(crc32(0, nullptr, 0), data->data(), data->size()));
  state.packed = std::move(*packed);
  state.served = 0;
  state.done = true;
  return 0;
}

zip_int64_t PackedSourceCallback(void* userdata, void* data, zip_uint64_t length,
                                 zip_source_cmd_t command) {
  auto* state = static_cast<PackedSourceState*>(userdata);
  switch (command) {
    case ZIP_SOURCE_OPEN:
      return PackFile(*state);
    case ZIP_SOURCE_READ: {
      const std::size_t n = static_cast<std::size_t>(
          std::min<zip_uint64_t>(length, state->packed.size() - state->served));
      std::memcpy(data, state->packed.data() + state->served, n);
      state->served += n;
      return static_cast<zip_int64_t>(n);
    }
    case ZIP_SOURCE_CLOSE:
      state->packed = {};
      state->report->End();
      return 0;
    case ZIP_SOURCE_STAT: {
      if (length < sizeof(zip_stat_t)) {
        zip_error_set(&state->error, ZIP_ER_INVAL, 0);
        return -1;
      }
      auto* st = static_cast<zip_stat_t*>(data);
      zip_stat_init(st);
      // Deflate already: libzip must not compress it again.
      st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME | ZIP_STAT_COMP_METHOD;
      st->comp_method = ZIP_CM_DEFLATE;
      st->size = state->size;
      st->mtime = state->modified;
      if (state->done) {
        st->valid |= ZIP_STAT_CRC;
        st->size = state->readSize;
        st->crc = state->crc;
      }
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_GET_FILE_ATTRIBUTES: {
      if (length < sizeof(zip_file_attributes_t)) {
        zip_error_set(&state->error, ZIP_ER_INVAL, 0);
        return -1;
      }
      // The deflate option bits of the general purpose flags, as libzip's
      // own deflate sets them: maximum for 8 and 9, fast for 1 and 2.
      auto* attributes = static_cast<zip_file_attributes_t*>(data);
      attributes->valid |= ZIP_FILE_ATTRIBUTES_GENERAL_PURPOSE_BIT_FLAGS;
      attributes->general_purpose_bit_mask = 0x0006;
      attributes->general_purpose_bit_flags = state->level < 3   ? 0x0004
                                              : state->level > 7 ? 0x0002
                                                                 : 0;
      return sizeof(zip_file_attributes_t);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&state->error, data, length);
    case ZIP_SOURCE_FREE:
      zip_error_fini(&state->error);
      delete state;
      return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                            ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                            ZIP_SOURCE_GET_FILE_ATTRIBUTES, -1);
    default:
      zip_error_set(&state->error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

zip_source_t* FileSource(zip_t* archive, const Found& file, int level, PackerReport& report) {
  zip_source_t* source = nullptr;
  if (level > 0 && file.size <= kWholeEntryLimit) {
    auto* state = new PackedSourceState{};
    state->path = file.path;
    state->entry = file.entry;
    state->size = file.size;
    state->modified = file.modified;
    state->level = level;
    state->report = &report;
    zip_error_init(&state->error);
    source = zip_source_function(archive, PackedSourceCallback, state);
    if (source == nullptr) {
      zip_error_fini(&state->error);
      delete state;
    }
    return source;
  }
  auto* state =
      new FileSourceState{file.path, file.entry, file.size, file.modified, &report, nullptr, {}};
  zip_error_init(&state->error);
  source = zip_source_function(archive, FileSourceCallback, state);
  if (source == nullptr) {
    zip_error_fini(&state->error);
    delete state;
  }
  return source;
}

std::string ArchiveError(zip_t* archive) { return zip_error_strerror(zip_get_error(archive)); }

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  // "*.*" means every name, with or without a dot, as on Windows.
  const std::string p = pattern == "*.*" ? "*" : pattern;
  std::size_t pi = 0, ni = 0, starP = std::string::npos, starN = 0;
  while (ni < name.size()) {
    if (pi < p.size() && (p[pi] == '?' || LowerAscii(p[pi]) == LowerAscii(name[ni]))) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == '*') {
      starP = pi++;
      starN = ni;
    } else if (starP != std::string::npos) {
      pi = starP + 1;
      ni = ++starN;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

std::string DosName(const std::string& entryName) {
  std::string result;
  std::size_t at = 0;
  while (at <= entryName.size()) {
    std::size_t end = entryName.find('/', at);
    if (end == std::string::npos) end = entryName.size();
    std::string part = entryName.substr(at, end - at);
    std::string stem = part, ext;
    const std::size_t dot = part.rfind('.');
    if (dot != std::string::npos && dot > 0) {
      stem = part.substr(0, dot);
      ext = part.substr(dot + 1);
    }
    auto clean = [](std::string s, std::size_t max) {
      std::string out;
      for (char c : s) {
        if (c == ' ' || c == '.') continue;
        out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        if (out.size() == max) break;
      }
      return out;
    };
    part = clean(stem, 8);
    if (!ext.empty()) part += "." + clean(ext, 3);
    result += part;
    if (end < entryName.size()) result += '/';
    at = end + 1;
  }
  return result;
}

std::optional<PackRequest> DecodeBlock(const vistlib::zip::ParamBlock& block) {
  if (block.version != kParamBlockVersion || block.check != kParamBlockCheck) return std::nullopt;
  if (block.specCount < 0 || static_cast<std::size_t>(block.specCount) > kMaxSpecs)
    return std::nullopt;
  PackRequest request;
  for (int32_t i = 0; i < block.specCount; ++i) {
    const std::string spec = BufferText(block.specs[i], kPathBufferSize);
    if (!spec.empty()) request.specs.push_back(spec);
  }
  request.archive = BufferText(block.archivePath, kPathBufferSize);
  request.password = BufferText(block.password, kPasswordBufferSize);
  request.level = std::clamp(block.level, 0, 9);
  request.junkDirNames = block.junkDirNames != kFalse;
  request.recurse = block.recurse != kFalse;
  request.grow = block.grow != kFalse;
  request.move = block.move != kFalse;
  request.update = block.update != kFalse;
  request.freshen = block.freshen != kFalse && !request.update;
  request.systemFiles = block.systemFiles != kFalse;
  request.noDirEntries = block.noDirEntries != kFalse;
  request.forceDos = block.forceDos != kFalse;
  request.latestTime = block.latestTime != kFalse;
  request.encrypt = block.encrypt != kFalse;
  request.verbose = block.verbose != kFalse;
  return request;
}

int32_t RunPacker(const PackRequest& request, PackerFileSystem& fs, PackerReport& report) {
  if (request.archive.empty()) {
    report.Message(1, "no archive given");
    return 0;
  }
  if (request.encrypt && request.password.empty()) {
    report.Message(1, "encryption needs a password");
    return 0;
  }

  Expander expander(request, fs);
  std::vector<Found> files;
  for (const std::string& spec : request.specs) {
    std::vector<Found> found = expander.Expand(spec);
    if (found.empty()) report.Message(0, "name not matched: " + spec);
    for (Found& f : found) {
      if (request.forceDos) f.entry = DosName(f.entry);
      files.push_back(std::move(f));
    }
  }
  if (files.empty()) return 0;  // nothing to add: the archive stays as it is

  // The archive itself is only ever replaced whole, by its working copy.
  const std::string working = fs.WorkingName(request.archive);
  fs.Remove(working);
  if (request.grow && fs.Exists(request.archive) && !fs.Copy(request.archive, working)) {
    report.Message(1, "cannot copy " + request.archive + " to " + working);
    fs.Remove(working);
    return 0;
  }

  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* archiveSource = fs.ArchiveSource(working, &error);
  zip_t* archive = nullptr;
  if (archiveSource != nullptr) {
    archive =
        zip_open_from_source(archiveSource, ZIP_CREATE | (request.grow ? 0 : ZIP_TRUNCATE), &error);
    if (archive == nullptr) zip_source_free(archiveSource);
  }
  if (archive == nullptr) {
    report.Message(1, "cannot open " + request.archive + ": " + zip_error_strerror(&error));
    zip_error_fini(&error);
    fs.Remove(working);
    return 0;
  }
  zip_error_fini(&error);

  auto fail = [&](const std::string& text) {
    report.Message(1, text);
    zip_discard(archive);
    fs.Remove(working);
    return 0;
  };

  std::set<std::string> added;
  std::vector<std::string> packedPaths;
  for (const Found& file : files) {
    const zip_int64_t existing = zip_name_locate(archive, file.entry.c_str(), 0);
    if (request.freshen && existing < 0) continue;
    if ((request.update || request.freshen) && existing >= 0) {
      zip_stat_t st;
      // DOS times count in two-second steps.
      if (zip_stat_index(archive, static_cast<zip_uint64_t>(existing), 0, &st) == 0 &&
          (st.valid & ZIP_STAT_MTIME) && file.modified <= st.mtime + 1) {
        continue;
      }
    }
    if (file.directory) {
      if (existing < 0 && zip_dir_add(archive, file.entry.c_str(), ZIP_FL_ENC_GUESS) < 0) {
        return fail("cannot add " + file.entry + ": " + ArchiveError(archive));
      }
      continue;
    }
    if (request.verbose) report.Message(0, "adding: " + file.entry);
    zip_source_t* source = FileSource(archive, file, request.level, report);
    if (source == nullptr) return fail("cannot read " + file.path + ": " + ArchiveError(archive));
    const zip_int64_t index =
        zip_file_add(archive, file.entry.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_GUESS);
    if (index < 0) {
      zip_source_free(source);
      return fail("cannot add " + file.entry + ": " + ArchiveError(archive));
    }
    const auto at = static_cast<zip_uint64_t>(index);
    const int32_t method = request.level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
    if (zip_set_file_compression(archive, at, method, static_cast<zip_uint32_t>(request.level)) <
        0) {
      return fail("cannot set compression for " + file.entry + ": " + ArchiveError(archive));
    }
    if (request.encrypt &&
        zip_file_set_encryption(archive, at, ZIP_EM_TRAD_PKWARE, request.password.c_str()) < 0) {
      return fail("cannot encrypt " + file.entry + ": " + ArchiveError(archive));
    }
    if (added.insert(file.entry).second) packedPaths.push_back(file.path);
  }
  if (added.empty()) {
    zip_discard(archive);
    fs.Remove(working);
    return 0;
  }

  std::time_t newest = 0;
  if (request.latestTime) {
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
      zip_stat_t st;
      if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st) == 0 &&
          (st.valid & ZIP_STAT_MTIME)) {
        newest = std::max(newest, st.mtime);
      }
    }
  }
  if (zip_close(archive) < 0) {
    return fail("cannot write " + request.archive + ": " + ArchiveError(archive));
  }
  if (!fs.MoveReplacing(working, request.archive)) {
    report.Message(1, "cannot write " + request.archive);
    fs.Remove(working);
    return 0;
  }
  if (request.move) {
    for (const std::string& path : packedPaths) {
      if (!fs.Remove(path)) report.Message(0, "cannot delete " + path);
    }
  }
  if (request.latestTime && newest > 0) fs.SetModified(request.archive, newest);
  return static_cast<int32_t>(added.size());
}

}  // namespace zipdll
