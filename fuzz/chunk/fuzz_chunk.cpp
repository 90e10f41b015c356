// Arbitrary bytes as the chunks a host or a preset file hands back: program state,
// preset banks, framework headers and Base64 preset blobs. Beyond not crashing, the
// parameters must stay in range and a bank that was read must write back and read
// again to the same presets.
#include "core/ByteChunk.h"
#include "fuzz/FuzzPlugIn.h"
#include "util/Base64.h"
#include "util/UTL_String.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace
{
class FuzzEffect : public FuzzPlugIn
{
public:
  FuzzEffect() : FuzzPlugIn(4, 3, 1, true)
  {
    GetParam(0)->InitDouble("Level", 0.5, 0.0, 1.0, 0.001);
    GetParam(1)->InitDouble("EQ", 0.0, -12.0, 12.0, 0.1, "dB");
    GetParam(2)->InitEnum("Mode", 1, 3);
    GetParam(3)->InitBool("Effect", true);
    MakeDefaultPreset("Init", 1);
    EnsureDefaultPreset();
  }
};

bool SamePresets(const FuzzEffect& a, const FuzzEffect& b)
{
  for (int i = 0; i < a.NPresets(); ++i)
  {
    const IPreset* pa = a.GetPreset(i);
    const IPreset* pb = b.GetPreset(i);
    if (strcmp(pa->mName, pb->mName) != 0 || pa->mInitialized != pb->mInitialized ||
        !pa->mChunk.IsEqual(pb->mChunk))
      return false;
  }
  return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > (1 << 16)) return 0;
  ByteChunk chunk;
  chunk.AppendBytes(data, int(size));

  int pos = 0;
  const int version = GetFrameworkVerFromChunk(&chunk, &pos);
  Check(pos == -1 || pos == 0 || pos == kFrameworkHeaderSize);
  Check(version == 0 || pos == kFrameworkHeaderSize);

  // As a program chunk.
  {
    FuzzEffect fx;
    const int end = fx.UnserializeState(&chunk, pos);
    Check(end == -1 || (end > 0 && end <= chunk.Size()));
    CheckParamsInRange(fx);
    if (size >= 8 * size_t(fx.NParams())) fx.CompareState(data, 0);
  }

  // As a bank: what was read must survive a write and a second read unchanged.
  {
    FuzzEffect fx;
    const int end = fx.UnserializePresets(&chunk, pos);
    Check(end <= chunk.Size());
    CheckParamsInRange(fx);
    CheckPresetNamesTerminated(fx);
    if (end >= 0)
    {
      ByteChunk bank;
      Check(fx.SerializePresets(&bank));
      FuzzEffect again;
      Check(again.UnserializePresets(&bank, 0) == bank.Size());
      Check(SamePresets(fx, again));
    }
  }

  // Every length-prefixed string in a row, as a preset list's names are read.
  for (int p = 0, n = 0; p >= 0 && p < chunk.Size() && n < 1000; ++n)
  {
    UTL_String s;
    const int next = chunk.ReadString(&s, p);
    Check(next == -1 || next >= p + 4);
    Check(s.GetLength() <= chunk.Size());
    p = next;
  }

  // As a Base64 preset blob, and through our encoder and back.
  {
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    FuzzEffect fx;
    const int blobSize = size > 0 ? int(data[0]) * 4 : 0;
    fx.MakePresetFromBlob("blob", text.data(), blobSize);
    UTL_String encoded;
    Base64Encode(data, int(size), &encoded);
    std::vector<uint8_t> back(size + 1, 0xAA);
    Check(Base64Decode(encoded.Get(), back.data(), int(size)) == int(size));
    Check(size == 0 || memcmp(back.data(), data, size) == 0);
  }
  return 0;
}
