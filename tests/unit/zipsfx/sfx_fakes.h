// In-memory archive source and target folder for the extraction tests.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sfx_archive.h"
#include "sfx_extract.h"

namespace sfx_test {

struct MemorySource {
  std::string bytes;
  SfxSource Source() {
    return SfxSource{this, &ReadAt, bytes.size()};
  }
  static int ReadAt(void* ctx, uint64_t offset, void* buf, uint32_t size) {
    auto* self = static_cast<MemorySource*>(ctx);
    if (offset > self->bytes.size() || self->bytes.size() - offset < size) return -1;
    std::memcpy(buf, self->bytes.data() + offset, size);
    return 0;
  }
};

// A folder as a map of path -> content; files being written live apart until committed.
struct MemoryFolder {
  std::map<std::string, std::string> files;
  std::set<std::string> dirs;
  std::vector<std::string> pending;  // files created and not yet committed or discarded
  int failCreate = 0, failWrite = 0;
  std::vector<std::pair<std::string, SfxStatus>> problems;
  std::vector<std::string> asked;
  std::vector<SfxAnswer> answers;  // given in turn to overwrite questions
  int cancelAfter = -1;            // progress calls before cancelling

  struct Open {
    std::string path, data;
  };

  SfxTarget Target() {
    return SfxTarget{this, nullptr, &Exists, &MakeDirs, &Create, &Write, &Commit, &Discard};
  }
  SfxEvents Events() { return SfxEvents{this, &Ask, &Progress, &Problem}; }

  static MemoryFolder* Self(void* ctx) { return static_cast<MemoryFolder*>(ctx); }
  static int Exists(void* ctx, const char* path) { return Self(ctx)->files.count(path) > 0; }
  static int MakeDirs(void* ctx, const char* path) {
    Self(ctx)->dirs.insert(path);
    return 0;
  }
  static void* Create(void* ctx, const char* path) {
    if (Self(ctx)->failCreate) return nullptr;
    Self(ctx)->pending.push_back(path);
    return new Open{path, {}};
  }
  static int Write(void* ctx, void* file, const void* data, uint32_t size) {
    if (Self(ctx)->failWrite) return -1;
    static_cast<Open*>(file)->data.append(static_cast<const char*>(data), size);
    return 0;
  }
  static void Forget(void* ctx, Open* f) {
    auto& p = Self(ctx)->pending;
    p.erase(std::find(p.begin(), p.end(), f->path));
    delete f;
  }
  static int Commit(void* ctx, void* file, const char* path, const SfxEntry*) {
    auto* f = static_cast<Open*>(file);
    Self(ctx)->files[path] = f->data;
    Forget(ctx, f);
    return 0;
  }
  static void Discard(void* ctx, void* file) { Forget(ctx, static_cast<Open*>(file)); }
  static SfxAnswer Ask(void* ctx, const char* path) {
    auto* self = Self(ctx);
    self->asked.push_back(path);
    if (self->answers.empty()) return SFX_ANSWER_NO;
    SfxAnswer a = self->answers.front();
    self->answers.erase(self->answers.begin());
    return a;
  }
  static int Progress(void* ctx, const char*) {
    auto* self = Self(ctx);
    return self->cancelAfter >= 0 && self->cancelAfter-- == 0;
  }
  static void Problem(void* ctx, const char* name, SfxStatus status) {
    Self(ctx)->problems.emplace_back(name, status);
  }
};

}  // namespace sfx_test
