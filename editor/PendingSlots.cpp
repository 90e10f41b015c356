#include "editor/PendingSlots.h"

PendingSlots::~PendingSlots()
{
  Block* b = mNewest.load(std::memory_order_relaxed);
  while (b)
  {
    Block* older = b->older;
    delete[] b->slots;
    delete b;
    b = older;
  }
}

void PendingSlots::Reserve(int n)
{
  Block* newest = mNewest.load(std::memory_order_relaxed);
  const int have = newest ? newest->n : 0;
  if (n <= have) return;
  // Doubling keeps the chain short when controls are attached one at a time.
  const int size = n > 2 * have ? n : 2 * have;
  Block* b = new Block;
  b->n = size;
  b->slots = new Slot[size];
  b->older = newest;
  mNewest.store(b, std::memory_order_release);
}

int PendingSlots::Capacity() const
{
  const Block* b = mNewest.load(std::memory_order_acquire);
  return b ? b->n : 0;
}

bool PendingSlots::Record(int idx, double value)
{
  Block* b = mNewest.load(std::memory_order_acquire);
  if (!b || idx < 0 || idx >= b->n) return false;
  b->slots[idx].value.store(value, std::memory_order_relaxed);
  b->slots[idx].pending.store(true, std::memory_order_release);
  return true;
}

void PendingSlots::Discard(int idx)
{
  for (Block* b = mNewest.load(std::memory_order_acquire); b; b = b->older)
    if (idx >= 0 && idx < b->n) b->slots[idx].pending.store(false, std::memory_order_relaxed);
}
