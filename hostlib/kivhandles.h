// Handles: the Java ints that stand for records the library owns (the
// allocation request of a DD object, a console, an open data-set stream).
// A native address does not fit a Java int on 64-bit hosts, so records sit
// in a table and the handle names a slot and that slot's generation:
//   bits 0-19 slot number + 1, bits 20-30 generation; bit 31 is always 0.
// 0 is never a handle. A handle that was removed, or never given out, finds
// nothing, also after its slot was used again (until the generation counter
// of that slot comes round, after 2048 reuses).
// The table is safe from any number of threads. Records are shared: a record
// removed while another thread still works with it lives until that thread
// lets go of it.
#pragma once

#include "kivlock.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace kiv::utils {

template <class T>
class HandleTable {
 public:
  static constexpr unsigned kSlotBits = 20;
  static constexpr std::uint32_t kMaxSlots = (1u << kSlotBits) - 1;
  static constexpr std::uint32_t kGenerationMask = 0x7FF;

  explicit HandleTable(std::uint32_t maxSlots = kMaxSlots) : maxSlots_(maxSlots < kMaxSlots ? maxSlots : kMaxSlots) {}

  // Takes the record in; its handle, or 0 for a null record or a full table.
  int add(std::shared_ptr<T> record) {
    if (!record) return 0;
    std::lock_guard lock(mutex_);
    std::uint32_t slot;
    if (!free_.empty()) {
      slot = free_.back();
      free_.pop_back();
    } else {
      if (slots_.size() >= maxSlots_) return 0;
      slot = static_cast<std::uint32_t>(slots_.size());
      slots_.emplace_back();
    }
    slots_[slot].record = std::move(record);
    ++count_;
    return makeHandle(slot, slots_[slot].generation);
  }

  // The record of a live handle, or null.
  std::shared_ptr<T> get(int handle) const {
    std::lock_guard lock(mutex_);
    long slot = live(handle);
    return slot < 0 ? nullptr : slots_[static_cast<std::size_t>(slot)].record;
  }

  // Takes the record out of the table; the handle is dead afterwards. Null
  // when the handle was not live.
  std::shared_ptr<T> remove(int handle) {
    std::lock_guard lock(mutex_);
    long slot = live(handle);
    if (slot < 0) return nullptr;
    Slot& s = slots_[static_cast<std::size_t>(slot)];
    std::shared_ptr<T> record = std::move(s.record);
    s.record.reset();
    s.generation = (s.generation + 1) & kGenerationMask;
    free_.push_back(static_cast<std::uint32_t>(slot));
    --count_;
    return record;
  }

  // Every live record at this moment.
  std::vector<std::shared_ptr<T>> records() const {
    std::vector<std::shared_ptr<T>> live;
    std::lock_guard lock(mutex_);
    for (const Slot& s : slots_)
      if (s.record) live.push_back(s.record);
    return live;
  }

  std::size_t size() const {
    std::lock_guard lock(mutex_);
    return count_;
  }

 private:
  struct Slot {
    std::shared_ptr<T> record;
    std::uint32_t generation = 0;
  };

  static int makeHandle(std::uint32_t slot, std::uint32_t generation) {
    return static_cast<int>((generation << kSlotBits) | (slot + 1));
  }
  // The slot of a live handle, or -1.
  long live(int handle) const {
    if (handle <= 0) return -1;
    std::uint32_t bits = static_cast<std::uint32_t>(handle);
    if ((bits & kMaxSlots) == 0) return -1;
    std::uint32_t slot = (bits & kMaxSlots) - 1;
    if (slot >= slots_.size()) return -1;
    const Slot& s = slots_[slot];
    if (!s.record || s.generation != (bits >> kSlotBits)) return -1;
    return static_cast<long>(slot);
  }

  mutable platform::Mutex mutex_;
  std::vector<Slot> slots_;
  std::vector<std::uint32_t> free_;
  std::size_t count_ = 0;
  std::uint32_t maxSlots_;
};

}  // namespace kiv::utils
