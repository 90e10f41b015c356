#include "util/UTL_HeapBuf.h"
#include "util/UTL_PtrList.h"
#include "util/UTL_String.h"
#include "util/UTL_TypedBuf.h"

#include <gtest/gtest.h>

namespace
{
struct Counted
{
  static int alive;
  Counted() { ++alive; }
  ~Counted() { --alive; }
};
int Counted::alive = 0;
} // namespace

TEST(UTL_String, BoundedSetAppendFormatAndCuts)
{
  UTL_String s;
  EXPECT_STREQ(s.Get(), "");
  s.Set(nullptr);
  EXPECT_STREQ(s.Get(), "");
  s.Set("abcdef", 3);
  EXPECT_STREQ(s.Get(), "abc");
  s.Append("XYZ", 2);
  EXPECT_STREQ(s.Get(), "abcXY");
  s.AppendFormatted(4, "%d", 123456);
  EXPECT_STREQ(s.Get(), "abcXY1234");
  s.DeleteSub(3, 2);
  EXPECT_STREQ(s.Get(), "abc1234");
  s.DeleteSub(100, 2);
  s.SetLength(4);
  EXPECT_STREQ(s.Get(), "abc1");
  s.SetLength(40);
  EXPECT_EQ(s.GetLength(), 4);
  s.SetFormatted(-1, "v%d.%d", 1, 2);
  EXPECT_STREQ(s.Get(), "v1.2");
}

TEST(UTL_PtrList, InsertClampsAndDeletingCallsOwnTheirElements)
{
  UTL_PtrList<Counted> list;
  Counted* a = list.Add(new Counted);
  Counted* b = list.Insert(-5, new Counted);
  Counted* c = list.Insert(99, new Counted);
  ASSERT_EQ(list.GetSize(), 3);
  EXPECT_EQ(list.Get(0), b);
  EXPECT_EQ(list.Get(1), a);
  EXPECT_EQ(list.Get(2), c);
  EXPECT_EQ(list.Get(3), nullptr);
  EXPECT_EQ(list.Get(-1), nullptr);
  EXPECT_EQ(list.Find(c), 2);

  list.Delete(0, true);
  EXPECT_EQ(Counted::alive, 2);
  list.Delete(0, false); // a stays alive
  EXPECT_EQ(Counted::alive, 2);
  delete a;
  list.Empty(true);
  EXPECT_EQ(Counted::alive, 0);
  EXPECT_EQ(list.GetSize(), 0);
}

TEST(UTL_Buffers, ResizeKeepsLeadingContentAndRefusesNegativeSizes)
{
  UTL_HeapBuf heap;
  EXPECT_EQ(heap.Get(), nullptr);
  auto* p = static_cast<unsigned char*>(heap.Resize(4));
  p[0] = 7;
  p = static_cast<unsigned char*>(heap.Resize(8));
  EXPECT_EQ(p[0], 7);
  EXPECT_EQ(p[7], 0);
  EXPECT_EQ(heap.Resize(-1), nullptr);
  EXPECT_EQ(heap.GetSize(), 8);

  UTL_TypedBuf<double> typed;
  typed.Resize(3)[2] = 1.5;
  EXPECT_EQ(typed.Resize(5)[2], 1.5);
  EXPECT_EQ(typed.Get()[4], 0.0);
  EXPECT_EQ(typed.Resize(-2), nullptr);
}
