#pragma once
// Undo and redo of the editor's operations. A step keeps only what its edit
// changed: the window table, the marks, and for each picture (the image and
// every region) the smallest rectangle that changed, zlib-packed, or the whole
// picture when its size changed (a crop, a frame). Undoing a step swaps what
// it keeps with what the document holds, so the same step redoes it.
//
// The history is bounded twice: at most kHistorySteps steps, and at most
// kHistoryBytes of kept data; past either, the oldest steps go. A fill, frame,
// reduction or redaction of a window on a 1920 x 1080 screenshot keeps a few
// KB to a few hundred KB, so far more than 50 steps fit.
#include <cstddef>
#include <deque>
#include <memory>
#include <vector>

#include "edit_document.h"

namespace vistlib {

constexpr size_t kHistorySteps = 100;
constexpr size_t kHistoryBytes = size_t{64} << 20;

class EditHistory {
 public:
  explicit EditHistory(size_t byteLimit = kHistoryBytes, size_t stepLimit = kHistorySteps);
  ~EditHistory();
  EditHistory(const EditHistory&) = delete;
  EditHistory& operator=(const EditHistory&) = delete;

  // Before an edit: notes the state it starts from. `pixels` false for edits
  // that change only the marks, which then cost no copy of any picture.
  void Begin(const EditDocument& document, bool pixels);
  // After it: keeps what changed as one step, and drops what could be redone.
  // An edit that changed nothing leaves no step.
  void Commit(const EditDocument& document);
  // Abandons a begun edit.
  void Cancel();

  // The document as before the last step (after the next one), repainted.
  // False when there is nothing to undo (redo).
  bool Undo(EditDocument& document);
  bool Redo(EditDocument& document);
  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  size_t UndoSteps() const { return undo_.size(); }
  size_t KeptBytes() const { return keptBytes_; }
  void Clear();

  struct Step;

 private:
  void Trim();

  size_t byteLimit_, stepLimit_;
  size_t keptBytes_ = 0;
  std::unique_ptr<Step> pending_;
  EditDocument* pendingFor_ = nullptr;
  std::deque<std::unique_ptr<Step>> undo_, redo_;
};

}  // namespace vistlib
