#include "edit_history.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace vistlib {

namespace {

constexpr int kImageSlot = -1;

// The pixels of `box` in `image`, packed.
std::vector<uint8_t> Pack(const Image& image, const vistrel::Rect& box) {
  std::vector<uint32_t> plain;
  plain.reserve(static_cast<size_t>(box.Width()) * box.Height());
  for (int y = box.top; y < box.bottom; ++y) {
    const uint32_t* row = &image.pixels[static_cast<size_t>(y) * image.width];
    plain.insert(plain.end(), row + box.left, row + box.right);
  }
  const uLong plainBytes = static_cast<uLong>(plain.size() * sizeof(uint32_t));
  std::vector<uint8_t> packed(compressBound(plainBytes));
  uLongf packedBytes = static_cast<uLongf>(packed.size());
  if (compress2(packed.data(), &packedBytes, reinterpret_cast<const Bytef*>(plain.data()),
                plainBytes, 1) != Z_OK) {
    throw std::runtime_error("Not enough memory to keep this step for undo.");
  }
  packed.resize(packedBytes);
  packed.shrink_to_fit();
  return packed;
}

void Unpack(const std::vector<uint8_t>& packed, Image& image, const vistrel::Rect& box) {
  std::vector<uint32_t> plain(static_cast<size_t>(box.Width()) * box.Height());
  uLongf plainBytes = static_cast<uLongf>(plain.size() * sizeof(uint32_t));
  if (!plain.empty() && uncompress(reinterpret_cast<Bytef*>(plain.data()), &plainBytes,
                                   packed.data(), static_cast<uLong>(packed.size())) != Z_OK) {
    throw std::runtime_error("The undo step is damaged.");
  }
  for (int y = box.top; y < box.bottom; ++y)
    std::copy_n(&plain[static_cast<size_t>(y - box.top) * box.Width()], box.Width(),
                &image.pixels[static_cast<size_t>(y) * image.width + box.left]);
}

// The smallest rectangle holding every pixel that differs; empty when none.
vistrel::Rect Changed(const Image& before, const Image& after) {
  vistrel::Rect box{before.width, before.height, 0, 0};
  for (int y = 0; y < before.height; ++y) {
    const uint32_t* a = &before.pixels[static_cast<size_t>(y) * before.width];
    const uint32_t* b = &after.pixels[static_cast<size_t>(y) * after.width];
    if (std::memcmp(a, b, before.width * sizeof(uint32_t)) == 0) continue;
    int left = 0, right = before.width;
    while (a[left] == b[left]) ++left;
    while (a[right - 1] == b[right - 1]) --right;
    box = {std::min(box.left, left), std::min<int>(box.top, y), std::max(box.right, right), y + 1};
  }
  return box.right > box.left ? box : vistrel::Rect{};
}

}  // namespace

// One picture's part of a step: `box` of a picture `width` x `height`.
struct Patch {
  int slot = kImageSlot;
  int width = 0, height = 0;
  vistrel::Rect box;
  std::vector<uint8_t> packed;
};

struct EditHistory::Step {
  WindowTable table;
  vistrel::Rect manualRect;
  std::vector<Mark> marks;
  std::vector<Patch> patches;
  // While pending: the pictures as the edit found them.
  bool pixels = false;
  Image image;
  std::array<Image, kTableSlots> regions;

  size_t Bytes() const {
    size_t bytes = sizeof(Step) + marks.size() * sizeof(Mark);
    for (const Mark& mark : marks) bytes += mark.text.size();
    for (const Patch& patch : patches) bytes += sizeof(Patch) + patch.packed.size();
    return bytes;
  }

  // Puts what the step keeps into the document and keeps what was there.
  void Swap(EditDocument& document) {
    std::swap(*document.table, table);
    std::swap(document.manualRect, manualRect);
    std::swap(document.marks, marks);
    for (Patch& patch : patches) {
      Image& target = patch.slot == kImageSlot ? document.image : document.regions[patch.slot];
      Patch inverse;
      inverse.slot = patch.slot;
      inverse.width = target.width;
      inverse.height = target.height;
      const bool sameSize = target.width == patch.width && target.height == patch.height;
      inverse.box = sameSize ? patch.box : vistrel::Rect{0, 0, target.width, target.height};
      inverse.packed = Pack(target, inverse.box);
      if (!sameSize) target = Image(patch.width, patch.height);
      Unpack(patch.packed, target, patch.box);
      patch = std::move(inverse);
    }
  }
};

EditHistory::EditHistory(size_t byteLimit, size_t stepLimit)
    : byteLimit_(byteLimit), stepLimit_(stepLimit) {}

EditHistory::~EditHistory() = default;

void EditHistory::Begin(const EditDocument& document, bool pixels) {
  pending_ = std::make_unique<Step>();
  pending_->table = *document.table;
  pending_->manualRect = document.manualRect;
  pending_->marks = document.marks;
  pending_->pixels = pixels;
  if (pixels) {
    pending_->image = document.image;
    pending_->regions = document.regions;
  }
}

void EditHistory::Cancel() { pending_.reset(); }

void EditHistory::Commit(const EditDocument& document) {
  if (!pending_) return;
  std::unique_ptr<Step> step = std::move(pending_);
  if (step->pixels) {
    auto note = [&](int slot, const Image& before, const Image& after) {
      Patch patch;
      patch.slot = slot;
      patch.width = before.width;
      patch.height = before.height;
      if (before.width == after.width && before.height == after.height) {
        patch.box = Changed(before, after);
        if (patch.box.right == patch.box.left) return;
      } else {
        patch.box = {0, 0, before.width, before.height};
      }
      patch.packed = Pack(before, patch.box);
      step->patches.push_back(std::move(patch));
    };
    note(kImageSlot, step->image, document.image);
    for (int i = 0; i < kTableSlots; ++i) note(i, step->regions[i], document.regions[i]);
    step->image = Image();
    for (Image& region : step->regions) region = Image();
  }
  const WindowTable& now = *document.table;
  const bool tableSame = step->table.WindowRects == now.WindowRects &&
                         step->table.WindowSelected == now.WindowSelected &&
                         step->table.WindowBorderState == now.WindowBorderState &&
                         step->table.WindowCount == now.WindowCount &&
                         step->table.ManualIndex == now.ManualIndex;
  if (step->patches.empty() && step->marks == document.marks && tableSame) return;
  keptBytes_ += step->Bytes();
  undo_.push_back(std::move(step));
  for (const auto& dropped : redo_) keptBytes_ -= dropped->Bytes();
  redo_.clear();
  Trim();
}

void EditHistory::Trim() {
  while (!undo_.empty() && (undo_.size() > stepLimit_ || keptBytes_ > byteLimit_)) {
    keptBytes_ -= undo_.front()->Bytes();
    undo_.pop_front();
  }
}

namespace {

bool Move(std::deque<std::unique_ptr<EditHistory::Step>>& from,
          std::deque<std::unique_ptr<EditHistory::Step>>& to, EditDocument& document,
          size_t& keptBytes) {
  if (from.empty()) return false;
  std::unique_ptr<EditHistory::Step> step = std::move(from.back());
  from.pop_back();
  keptBytes -= step->Bytes();
  step->Swap(document);
  keptBytes += step->Bytes();
  to.push_back(std::move(step));
  document.RemoveHover();
  document.manualDragging = false;
  document.Redraw();
  return true;
}

}  // namespace

bool EditHistory::Undo(EditDocument& document) {
  pending_.reset();
  return Move(undo_, redo_, document, keptBytes_);
}

bool EditHistory::Redo(EditDocument& document) {
  pending_.reset();
  return Move(redo_, undo_, document, keptBytes_);
}

void EditHistory::Clear() {
  pending_.reset();
  undo_.clear();
  redo_.clear();
  keptBytes_ = 0;
}

}  // namespace vistlib
