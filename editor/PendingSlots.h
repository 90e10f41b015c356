#pragma once
// Values handed to the editor by threads that may not touch its controls: one slot per
// index (a parameter or a control) holding the latest value and a pending flag.
// Writing never allocates and never waits. The table grows only on the thread that
// sets the editor up or owns it; a grown-out block stays alive until destruction, so
// a writer still holding it writes into live memory that the next drain also reads.
#include <atomic>

class PendingSlots
{
public:
  PendingSlots() = default;
  ~PendingSlots();
  PendingSlots(const PendingSlots&) = delete;
  PendingSlots& operator=(const PendingSlots&) = delete;

  // ---- Set-up or owning thread (allocates) ----------------------------------------
  // Makes room for the indices below n; never shrinks.
  void Reserve(int n);

  // ---- Any thread: never blocks or allocates ------------------------------------------
  // Stores the value as the latest for idx and marks it pending; false when idx has
  // no slot.
  bool Record(int idx, double value);
  int Capacity() const;

  // ---- The thread that holds the controls ---------------------------------------------
  // Forgets what waits for idx: a newer value is being applied directly.
  void Discard(int idx);
  // Calls apply(idx, value) for every pending slot and clears it, older blocks first,
  // so that a late write into a grown-out block never overrides a newer one.
  template <class F> void Drain(F&& apply)
  {
    DrainBlock(mNewest.load(std::memory_order_acquire), apply);
  }

private:
  struct Slot
  {
    std::atomic<double> value{0.0};
    std::atomic<bool> pending{false};
  };
  struct Block
  {
    int n = 0;
    Slot* slots = nullptr;
    Block* older = nullptr;
  };
  // Written only by Reserve, read by every thread.
  std::atomic<Block*> mNewest{nullptr};

  template <class F> static void DrainBlock(Block* b, F& apply)
  {
    if (!b) return;
    DrainBlock(b->older, apply);
    for (int i = 0; i < b->n; ++i)
    {
      // The flag is cleared before the value is read: a value stored after the read
      // raises the flag again and is applied by the next drain.
      if (!b->slots[i].pending.exchange(false, std::memory_order_acq_rel)) continue;
      apply(i, b->slots[i].value.load(std::memory_order_relaxed));
    }
  }
};
