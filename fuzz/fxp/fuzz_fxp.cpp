// Arbitrary bytes as program and bank files, read by the plug-in base with and without
// state chunks. Beyond not crashing: parameters stay finite and in range, a refused
// file changes nothing, and whatever parses writes back and parses again the same.
#include "core/ByteChunk.h"
#include "core/ProgramFiles.h"
#include "fuzz/FuzzPlugIn.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace
{
// Shaped like the pedal: five knobs and a switch, three presets, id 'qvx1', so that
// files the plug-in and the render tool write are accepted.
class FuzzEffect : public FuzzPlugIn
{
public:
  explicit FuzzEffect(bool chunks) : FuzzPlugIn(6, 3, 0x71767831, chunks)
  {
    GetParam(0)->InitDouble("Level", 0.5, 0.0, 1.0, 0.001);
    GetParam(1)->InitDouble("Drive", 2.0, 0.0, 10.0, 0.01);
    GetParam(2)->InitDouble("Low", 0.0, -12.0, 12.0, 0.1, "dB");
    GetParam(3)->InitDouble("Mid", 0.0, -12.0, 12.0, 0.1, "dB");
    GetParam(4)->InitEnum("Mode", 1, 3);
    GetParam(5)->InitBool("Effect", true);
    MakeDefaultPreset("Init", 1);
    EnsureDefaultPreset();
  }
};

// Live values, every preset and the current index, as bytes.
std::vector<uint8_t> Snapshot(FuzzEffect& fx)
{
  ByteChunk c;
  fx.SerializeState(&c);
  fx.SerializePresets(&c);
  c.AppendScalar(fx.GetCurrentPresetIdx());
  return std::vector<uint8_t>(c.GetBytes(), c.GetBytes() + c.Size());
}

bool SameProgram(const FxProgram& a, const FxProgram& b)
{
  // Names are cut to 27 characters when written.
  return a.pluginID == b.pluginID && a.pluginVersion == b.pluginVersion && a.isChunk == b.isChunk &&
         a.chunk == b.chunk && a.values == b.values &&
         a.name.compare(0, b.name.size(), b.name) == 0 && b.name.size() <= 27;
}

void ApplyProgram(FuzzEffect& fx, const FxProgram& p)
{
  const std::vector<uint8_t> before = Snapshot(fx);
  if (!fx.ApplyProgram(p)) Check(Snapshot(fx) == before);
  CheckParamsInRange(fx);
}

void ApplyBank(FuzzEffect& fx, const FxBank& b)
{
  const std::vector<uint8_t> before = Snapshot(fx);
  if (!fx.ApplyBank(b)) Check(Snapshot(fx) == before);
  CheckParamsInRange(fx);
  CheckPresetNamesTerminated(fx);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > (1 << 16)) return 0;

  FxProgram program;
  if (ParseProgramFile(data, size, &program, nullptr))
  {
    Check(program.isChunk || program.values.size() == size_t(program.numParams));
    FxProgram again;
    const std::vector<uint8_t> image = WriteProgramFile(program);
    Check(ParseProgramFile(image.data(), image.size(), &again, nullptr));
    Check(SameProgram(program, again));
    for (bool chunks : {true, false})
    {
      FuzzEffect fx(chunks);
      ApplyProgram(fx, program);
    }
  }

  FxBank bank;
  if (ParseBankFile(data, size, &bank, nullptr))
  {
    FxBank again;
    const std::vector<uint8_t> image = WriteBankFile(bank);
    Check(ParseBankFile(image.data(), image.size(), &again, nullptr));
    Check(again.isChunk == bank.isChunk && again.chunk == bank.chunk &&
          again.programs.size() == bank.programs.size());
    for (size_t i = 0; i < bank.programs.size(); ++i)
      Check(SameProgram(bank.programs[i], again.programs[i]));
    for (bool chunks : {true, false})
    {
      FuzzEffect fx(chunks);
      ApplyBank(fx, bank);
    }
  }
  return 0;
}
