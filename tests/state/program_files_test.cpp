// Program and bank files: their bytes, round trips through the editor's file dialog,
// and files that must be refused without touching the plug-in.
#include "StateTestEffect.h"
#include "core/ProgramFiles.h"
#include "editor/HeadlessGraphics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <functional>
#include <cstdio>
#include <dirent.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

namespace
{
uint32_t BigEndianAt(const std::vector<uint8_t>& f, size_t pos)
{
  return uint32_t(f[pos]) << 24 | uint32_t(f[pos + 1]) << 16 | uint32_t(f[pos + 2]) << 8 |
         f[pos + 3];
}

std::string TextAt(const std::vector<uint8_t>& f, size_t pos, size_t n)
{
  return std::string(f.begin() + long(pos), f.begin() + long(pos + n));
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& f, size_t pos, size_t n)
{
  return std::vector<uint8_t>(f.begin() + long(pos), f.begin() + long(pos + n));
}

// Everything a load may change: live values, every preset and the current index.
struct Snapshot
{
  std::vector<double> values;
  std::vector<uint8_t> presets;
  int current;
  bool operator==(const Snapshot& o) const
  {
    return values == o.values && presets == o.presets && current == o.current;
  }
};

Snapshot Take(StateTestEffect& fx)
{
  ByteChunk presets;
  fx.SerializePresets(&presets);
  return {fx.Values(), ChunkBytes(presets), fx.GetCurrentPresetIdx()};
}

std::vector<uint8_t> ProgramImage(StateTestEffect& fx)
{
  FxProgram p;
  EXPECT_TRUE(fx.CaptureProgram(&p));
  return WriteProgramFile(p);
}

std::vector<uint8_t> BankImage(StateTestEffect& fx)
{
  FxBank b;
  EXPECT_TRUE(fx.CaptureBank(&b));
  return WriteBankFile(b);
}

bool LoadProgramImage(StateTestEffect& fx, const std::vector<uint8_t>& image)
{
  FxProgram p;
  return ParseProgramFile(image.data(), image.size(), &p, nullptr) && fx.ApplyProgram(p);
}

bool LoadBankImage(StateTestEffect& fx, const std::vector<uint8_t>& image)
{
  FxBank b;
  return ParseBankFile(image.data(), image.size(), &b, nullptr) && fx.ApplyBank(b);
}

void PutBigEndian(std::vector<uint8_t>* f, size_t pos, uint32_t v)
{
  for (int i = 0; i < 4; ++i)
    f->at(pos + size_t(i)) = uint8_t(v >> (24 - 8 * i));
}

std::string TempDir(const char* name)
{
  const std::string dir = ::testing::TempDir() + name;
  mkdir(dir.c_str(), 0755);
  return dir + "/";
}

std::vector<std::string> FilesIn(const std::string& dir)
{
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str()))
  {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') names.push_back(e->d_name);
    closedir(d);
  }
  return names;
}

// The six test parameters at their defaults (Level 0.5, Drive 2, three EQs at 0, on).
const std::vector<uint8_t> kDefaultStateLE = []
{
  std::vector<uint8_t> s;
  for (uint64_t bits :
       {0x3FE0000000000000ull, 0x4000000000000000ull, 0ull, 0ull, 0ull, 0x3FF0000000000000ull})
  {
    const std::vector<uint8_t> d = LittleEndianDouble(bits);
    s.insert(s.end(), d.begin(), d.end());
  }
  return s;
}();
} // namespace

TEST(ProgramFiles, HeadersAndBodiesByteForByte)
{
  StateTestEffect chunky(3);
  chunky.ModifyCurrentPreset("Crunch");
  const std::vector<uint8_t> fxp = ProgramImage(chunky);
  ASSERT_EQ(fxp.size(), 116u); // header 56, chunk size 4, framework header 8, six doubles
  EXPECT_EQ(TextAt(fxp, 0, 4), "CcnK");
  EXPECT_EQ(BigEndianAt(fxp, 4), 116u); // chunk size + 60
  EXPECT_EQ(TextAt(fxp, 8, 4), "FPCh");
  EXPECT_EQ(BigEndianAt(fxp, 12), 1u);
  EXPECT_EQ(TextAt(fxp, 16, 4), "qvx1");
  EXPECT_EQ(BigEndianAt(fxp, 20), 10203u); // 1.2.3 in decimal form
  EXPECT_EQ(BigEndianAt(fxp, 24), 6u);
  EXPECT_EQ(TextAt(fxp, 28, 28), std::string("Crunch") + std::string(22, '\0'));
  EXPECT_EQ(BigEndianAt(fxp, 56), 56u);
  EXPECT_EQ(TextAt(fxp, 60, 4), "tffp");
  EXPECT_EQ(Slice(fxp, 64, 4), (std::vector<uint8_t>{0, 0, 1, 0})); // 0x00010000, little-endian
  EXPECT_EQ(Slice(fxp, 68, 48), kDefaultStateLE);

  StateTestEffect plain(3, StateTestEffect::kNumParams, false);
  const std::vector<uint8_t> fxpPlain = ProgramImage(plain);
  ASSERT_EQ(fxpPlain.size(), 80u);
  EXPECT_EQ(BigEndianAt(fxpPlain, 4), 0u);
  EXPECT_EQ(TextAt(fxpPlain, 8, 4), "FxCk");
  EXPECT_EQ(TextAt(fxpPlain, 28, 6), std::string("empty\0", 6));
  // Normalised floats: 0.5 of 0..1, 2 of 0..10, 0 of -12..12 (three times), on.
  const uint32_t normalized[] = {0x3F000000, 0x3E4CCCCD, 0x3F000000,
                                 0x3F000000, 0x3F000000, 0x3F800000};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(BigEndianAt(fxpPlain, 56 + 4 * size_t(i)), normalized[i]);

  // Chunk bank: the preset list after the framework header. Preset 1 holds Drive 5.
  chunky.MakePreset("Init", 0.5, 2.0, 0.0, 0.0, 0.0, 1);
  chunky.MakePreset("Hot", 0.5, 5.0, 0.0, 0.0, 0.0, 1);
  chunky.RestorePreset(1);
  const std::vector<uint8_t> fxb = BankImage(chunky);
  const size_t list = (4 + 4 + 1 + 48) + (4 + 3 + 1 + 48) + (4 + 5 + 1); // Init, Hot, empty
  ASSERT_EQ(fxb.size(), 160 + 8 + list);
  EXPECT_EQ(BigEndianAt(fxb, 4), uint32_t(8 + list + 160));
  EXPECT_EQ(TextAt(fxb, 8, 4), "FBCh");
  EXPECT_EQ(BigEndianAt(fxb, 12), 2u);
  EXPECT_EQ(BigEndianAt(fxb, 24), 3u); // programs
  EXPECT_EQ(BigEndianAt(fxb, 28), 1u); // current
  EXPECT_EQ(Slice(fxb, 32, 124), std::vector<uint8_t>(124, 0));
  EXPECT_EQ(BigEndianAt(fxb, 156), uint32_t(8 + list));
  EXPECT_EQ(TextAt(fxb, 160, 4), "tffp");
  EXPECT_EQ(Slice(fxb, 168, 8), (std::vector<uint8_t>{4, 0, 0, 0, 'I', 'n', 'i', 't'}));

  // Plain bank: one plain program per preset, values from what each preset stores.
  plain.MakePreset("Init", 0.5, 2.0, 0.0, 0.0, 0.0, 1);
  plain.MakePreset("Hot", 0.5, 5.0, 0.0, 0.0, 0.0, 1);
  plain.SetValues({1.0, 10.0}); // live values are not what a bank saves
  const std::vector<uint8_t> fxbPlain = BankImage(plain);
  ASSERT_EQ(fxbPlain.size(), 156u + 3 * 80);
  EXPECT_EQ(TextAt(fxbPlain, 8, 4), "FxBk");
  EXPECT_EQ(BigEndianAt(fxbPlain, 4), 0u);
  EXPECT_EQ(TextAt(fxbPlain, 156 + 80 + 8, 4), "FxCk");
  EXPECT_EQ(TextAt(fxbPlain, 156 + 80 + 28, 4), std::string("Hot\0", 4));
  EXPECT_EQ(BigEndianAt(fxbPlain, 156 + 80 + 56 + 4), 0x3F000000u); // Drive 5 of 0..10
  // The empty third preset stores nothing: plain 0, clamped into each range.
  EXPECT_EQ(BigEndianAt(fxbPlain, 156 + 160 + 56), 0u);
  EXPECT_EQ(BigEndianAt(fxbPlain, 156 + 160 + 56 + 8), 0x3F000000u);
}

TEST(ProgramFiles, RoundTripsThroughTheFileDialog)
{
  const std::string dir = TempDir("fxp_dialog");
  for (bool chunks : {true, false})
  {
    StateTestEffect src(3, StateTestEffect::kNumParams, chunks);
    StateTestEffect dst(3, StateTestEffect::kNumParams, chunks);
    EXPECT_FALSE(src.SaveProgramAsFXP("x.fxp")); // no editor
    auto* srcGui = new HeadlessGraphics(&src, 10, 10);
    auto* dstGui = new HeadlessGraphics(&dst, 10, 10);
    src.AttachGraphics(srcGui);
    dst.AttachGraphics(dstGui);
    src.MakePreset("Clean", 0.25, 1.0, -3.0, 0.0, 3.0, 1);
    src.MakePreset("Lead", 0.75, 8.0, 0.0, 6.0, -6.0, 0);
    src.RestorePreset(1);

    srcGui->mFileReply = ""; // cancelled
    EXPECT_FALSE(src.SaveProgramAsFXP("x.fxp"));
    srcGui->mFileReply = dir + "missing/x.fxp"; // cannot be created
    EXPECT_FALSE(src.SaveProgramAsFXP("x.fxp"));
    srcGui->mFileReply = dir + (chunks ? "p.fxp" : "plain.fxp");
    srcGui->mDirReply = dir;
    ASSERT_TRUE(src.SaveProgramAsFXP("x.fxp"));
    EXPECT_EQ(srcGui->mFileActions.back(), kFileSave);
    EXPECT_EQ(srcGui->mFileExtensions.back(), "fxp");
    EXPECT_STREQ(src.GetPreviousPath().Get(), dir.c_str());

    dstGui->mFileReply = srcGui->mFileReply;
    ASSERT_TRUE(dst.LoadProgramFromFXP());
    EXPECT_EQ(dstGui->mFileActions.back(), kFileOpen);
    EXPECT_STREQ(dst.GetPresetName(0), "Lead");
    for (int i = 0; i < dst.NParams(); ++i)
      EXPECT_NEAR(dst.GetParam(i)->Value(), src.GetParam(i)->Value(), 1e-5) << i;
    EXPECT_EQ(dst.programChanges, 1);

    srcGui->mFileReply = dir + (chunks ? "b.fxb" : "plain.fxb");
    ASSERT_TRUE(src.SaveBankAsFXB("x.fxb"));
    EXPECT_EQ(srcGui->mFileExtensions.back(), "fxb");
    StateTestEffect dst2(3, StateTestEffect::kNumParams, chunks);
    auto* gui2 = new HeadlessGraphics(&dst2, 10, 10);
    dst2.AttachGraphics(gui2);
    gui2->mFileReply = srcGui->mFileReply;
    ASSERT_TRUE(dst2.LoadBankFromFXB());
    for (int p = 0; p < 3; ++p)
      EXPECT_STREQ(dst2.GetPresetName(p), src.GetPresetName(p)) << p;
    // A plain bank selects the file's current program; a chunk bank restores the
    // plug-in's own current preset from the list.
    EXPECT_EQ(dst2.GetCurrentPresetIdx(), chunks ? 0 : 1);
    const IPreset* selected = src.GetPreset(chunks ? 0 : 1);
    for (int i = 0; i < dst2.NParams(); ++i)
    {
      double v = NAN;
      selected->mChunk.ReadScalar(&v, 8 * i);
      EXPECT_NEAR(dst2.GetParam(i)->Value(), v, 1e-5) << i;
    }
  }
}

TEST(ProgramFiles, EveryRefusedFileLeavesThePlugInUnchanged)
{
  // Files made from one state, refused by plug-ins holding another.
  StateTestEffect chunkSrc(3);
  chunkSrc.MakePreset("Init", 0.5, 2.0, 0.0, 0.0, 0.0, 1);
  chunkSrc.MakePreset("Hot", 0.5, 9.0, 0.0, 0.0, 0.0, 1);
  chunkSrc.SetValues({0.8, 7.0, 1.0, 2.0, 3.0, 0.0});
  StateTestEffect plainSrc(3, StateTestEffect::kNumParams, false);
  plainSrc.SetValues({0.8, 7.0, 1.0, 2.0, 3.0, 0.0});
  plainSrc.MakeDefaultPreset("Init", 3);
  const std::vector<uint8_t> chunkFxp = ProgramImage(chunkSrc);
  const std::vector<uint8_t> chunkFxb = BankImage(chunkSrc);
  const std::vector<uint8_t> plainFxp = ProgramImage(plainSrc);
  const std::vector<uint8_t> plainFxb = BankImage(plainSrc);

  StateTestEffect chunky(3);
  StateTestEffect plain(3, StateTestEffect::kNumParams, false);
  for (StateTestEffect* fx : {&chunky, &plain})
  {
    fx->MakePreset("Mine", 0.1, 1.0, -1.0, -2.0, -3.0, 1);
    fx->SetValues({0.2, 3.0, 4.0, 5.0, 6.0, 1.0});
  }
  using Edit = std::function<void(std::vector<uint8_t>*)>;
  struct Case
  {
    const char* what;
    const std::vector<uint8_t>& image;
    bool bank;
    Edit edit;
  };
  const Case cases[] = {
      {"other plug-in id", chunkFxp, false, [](auto* f) { (*f)[19] = 'X'; }},
      {"other parameter count", plainFxp, false, [](auto* f) { PutBigEndian(f, 24, 5); }},
      {"format version 2", plainFxp, false, [](auto* f) { PutBigEndian(f, 12, 2); }},
      {"no CcnK", plainFxp, false, [](auto* f) { (*f)[0] = 'X'; }},
      {"unknown format", plainFxp, false, [](auto* f) { (*f)[8] = 'X'; }},
      {"shorter than the header", plainFxp, false, [](auto* f) { f->resize(40); }},
      {"values cut short", plainFxp, false, [](auto* f) { f->resize(f->size() - 1); }},
      {"value not a number", plainFxp, false, [](auto* f) { PutBigEndian(f, 60, 0x7FC00000); }},
      {"chunk size past the end", chunkFxp, false, [](auto* f) { PutBigEndian(f, 56, 57); }},
      {"negative chunk size", chunkFxp, false, [](auto* f) { PutBigEndian(f, 56, 0xFFFFFFFF); }},
      {"state cut short", chunkFxp, false,
       [](auto* f)
       {
         f->resize(f->size() - 8);
         PutBigEndian(f, 56, 48);
       }},
      {"framework header cut short", chunkFxp, false,
       [](auto* f)
       {
         f->resize(66);
         PutBigEndian(f, 56, 6);
       }},
      {"bank of another plug-in", plainFxb, true, [](auto* f) { (*f)[16] = 'X'; }},
      {"bank header cut short", plainFxb, true, [](auto* f) { f->resize(155); }},
      {"third program not FxCk", plainFxb, true, [](auto* f) { (*f)[156 + 160 + 8] = 'X'; }},
      {"third program version", plainFxb, true,
       [](auto* f) { PutBigEndian(f, 156 + 160 + 12, 7); }},
      {"third program count", plainFxb, true, [](auto* f) { PutBigEndian(f, 156 + 160 + 24, 7); }},
      {"last value missing", plainFxb, true, [](auto* f) { f->resize(f->size() - 4); }},
      {"more programs claimed", plainFxb, true, [](auto* f) { PutBigEndian(f, 24, 4); }},
      {"negative program count", plainFxb, true, [](auto* f) { PutBigEndian(f, 24, 0x80000000); }},
      {"preset list cut short", chunkFxb, true,
       [](auto* f)
       {
         f->resize(f->size() - 12);
         PutBigEndian(f, 156, uint32_t(f->size() - 160));
       }},
  };
  for (const Case& c : cases)
  {
    std::vector<uint8_t> image = c.image;
    c.edit(&image);
    for (StateTestEffect* fx : {&chunky, &plain})
    {
      const Snapshot before = Take(*fx);
      const int changes = fx->programChanges;
      EXPECT_FALSE(c.bank ? LoadBankImage(*fx, image) : LoadProgramImage(*fx, image)) << c.what;
      EXPECT_TRUE(Take(*fx) == before) << c.what;
      EXPECT_EQ(fx->programChanges, changes) << c.what;
    }
  }
  // A chunk file is refused by a plug-in without chunks; a plain one is read by both.
  EXPECT_FALSE(LoadProgramImage(plain, chunkFxp));
  EXPECT_FALSE(LoadBankImage(plain, chunkFxb));
  EXPECT_TRUE(LoadProgramImage(chunky, plainFxp));
}

TEST(ProgramFiles, ChunkWithoutFrameworkHeaderAndEmptyNames)
{
  // A chunk that starts straight with the state is read from offset 60; an empty
  // program name keeps the current preset's name.
  StateTestEffect fx(2);
  fx.MakePreset("Mine", 0.5, 2.0, 0.0, 0.0, 0.0, 1);
  std::vector<uint8_t> image = ProgramImage(fx);
  image.erase(image.begin() + 60, image.begin() + 68);
  PutBigEndian(&image, 56, 48);
  std::fill(image.begin() + 28, image.begin() + 56, 0);
  const std::vector<uint8_t> drive = LittleEndianDouble(0x4020000000000000ull); // 8.0
  std::copy(drive.begin(), drive.end(), image.begin() + 60 + 8);
  ASSERT_TRUE(LoadProgramImage(fx, image));
  EXPECT_EQ(fx.GetParam(StateTestEffect::kDrive)->Value(), 8.0);
  EXPECT_STREQ(fx.GetPresetName(0), "Mine");
}

TEST(ProgramFiles, PlainBankLoadsProgramByProgramAndSelectsTheFilesCurrent)
{
  // Five programs into three presets: the two that do not fit are skipped.
  StateTestEffect fx(3, StateTestEffect::kNumParams, false);
  FxBank bank;
  bank.pluginID = fx.GetUniqueID();
  bank.currentProgram = 2;
  for (int i = 0; i < 5; ++i)
  {
    FxProgram p;
    p.name = "P" + std::to_string(i);
    p.values = {0.1f * float(i), 0.5f, 0.5f, 0.5f, 0.5f, 1.0f};
    p.numParams = 6;
    bank.programs.push_back(p);
  }
  const std::vector<uint8_t> image = WriteBankFile(bank);
  ASSERT_TRUE(LoadBankImage(fx, image));
  for (int i = 0; i < 3; ++i)
  {
    EXPECT_STREQ(fx.GetPresetName(i), ("P" + std::to_string(i)).c_str());
    double level = -1.0;
    fx.GetPreset(i)->mChunk.ReadScalar(&level, 0);
    EXPECT_NEAR(level, 0.1 * i, 1e-6);
  }
  EXPECT_EQ(fx.GetCurrentPresetIdx(), 2);
  EXPECT_NEAR(fx.GetParam(0)->Value(), 0.2, 1e-6);

  // A current program that was skipped keeps the plug-in's own selection.
  std::vector<uint8_t> skipped = image;
  PutBigEndian(&skipped, 28, 4);
  fx.RestorePreset(1);
  ASSERT_TRUE(LoadBankImage(fx, skipped));
  EXPECT_EQ(fx.GetCurrentPresetIdx(), 1);
  EXPECT_NEAR(fx.GetParam(0)->Value(), 0.1, 1e-6);
}

TEST(ProgramFiles, NamesStayInsideTheirField)
{
  StateTestEffect fx(1, StateTestEffect::kNumParams, false);
  // 26 ASCII characters and a two-byte one: the cut must not split the character.
  fx.ModifyCurrentPreset("abcdefghijklmnopqrstuvwxyz\xC3\xA9 and more");
  std::vector<uint8_t> image = ProgramImage(fx);
  EXPECT_EQ(TextAt(image, 28, 27), std::string("abcdefghijklmnopqrstuvwxyz") + '\0');
  EXPECT_EQ(image[28 + 27], 0);

  // A name field without terminator is read as its 28 bytes, not into the values.
  std::fill(image.begin() + 28, image.begin() + 56, 'n');
  FxProgram p;
  ASSERT_TRUE(ParseProgramFile(image.data(), image.size(), &p, nullptr));
  EXPECT_EQ(p.name, std::string(28, 'n'));
}

TEST(ProgramFiles, FailedSavesLeaveNothingBehind)
{
  const std::string dir = TempDir("fxp_failed_save");
  const std::string path = dir + "keep.fxp";
  ASSERT_TRUE(WriteFileReplacing(path.c_str(), {'o', 'l', 'd'}, nullptr));
  std::vector<uint8_t> big(4096, 7);
  std::string error;

  EXPECT_FALSE(WriteFileReplacing((dir + "missing/x.fxp").c_str(), big, &error));
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;

  // A full disk, simulated by a file size limit.
  rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit tiny = old;
  tiny.rlim_cur = 1000;
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &tiny);
  const bool wrote = WriteFileReplacing(path.c_str(), big, &error);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(wrote);

  std::vector<uint8_t> kept;
  ASSERT_TRUE(ReadWholeFile(path.c_str(), &kept, nullptr));
  EXPECT_EQ(kept, (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"keep.fxp"});
}
