#pragma once
// Program (.fxp) and bank (.fxb) files: the one writer and the one reader of their
// layouts, as pure functions over bytes, plus whole-file reading and a replacing
// write. The plug-in base and the render tool's host side both build on these.
//
// Every header integer is 32-bit big-endian; plain forms hold one big-endian float
// per parameter (its normalised value). Layout of a ProgramFileHeader (56 bytes, also
// the header of each program inside a plain bank):
//   0 "CcnK" | 4 byte size | 8 "FPCh" chunk / "FxCk" plain | 12 format version 1 |
//   16 plug-in id | 20 plug-in version | 24 parameter count | 28 name, 28 bytes
// A chunk program continues with the chunk size at 56 and the chunk at 60; a plain
// one with the values at 56. A BankFileHeader is 156 bytes:
//   0 "CcnK" | 4 byte size | 8 "FBCh" / "FxBk" | 12 format version 2 | 16 plug-in id |
//   20 plug-in version | 24 program count | 28 current program | 32 zeros, 124 bytes
// then the chunk size at 156 and the chunk at 160, or one plain program per preset.
// The byte size written for chunk forms is chunk size + 60 (program) or + 160
// (bank); plain forms write 0. Readers never rely on it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kProgramFileHeaderSize = 56;
constexpr int kProgramChunkOffset = 60;
constexpr int kBankFileHeaderSize = 156;
constexpr int kBankChunkOffset = 160;
// The name field holds 27 characters and a terminator when written; a read takes at
// most its 28 bytes, terminated or not.
constexpr int kProgramFileNameLen = 28;
// Files larger than this are refused before they are read into memory.
constexpr size_t kMaxProgramFileSize = size_t(256) << 20;

struct FxProgram
{
  int32_t pluginID = 0;
  int32_t pluginVersion = 0; // decimal, e.g. 10203 for 1.2.3
  int32_t numParams = 0;     // the header's count; plain forms carry as many values
  std::string name;
  bool isChunk = false;
  std::vector<uint8_t> chunk; // chunk form
  std::vector<float> values;  // plain form: normalised values, all finite
};

struct FxBank
{
  int32_t pluginID = 0;
  int32_t pluginVersion = 0;
  int32_t numPrograms = 0;
  int32_t currentProgram = 0;
  bool isChunk = false;
  std::vector<uint8_t> chunk;      // chunk form
  std::vector<FxProgram> programs; // plain form: numPrograms plain programs
};

// File images. Names are cut to 27 characters. Plain forms take their counts from what
// they carry: a program's parameter count from values, a bank's program count from
// programs.
std::vector<uint8_t> WriteProgramFile(const FxProgram& program);
std::vector<uint8_t> WriteBankFile(const FxBank& bank);

// Parse and fully validate a file image: headers inside the data, known magics and
// versions, a chunk that lies wholly inside, every plain value present and finite.
// On failure out is left as it was and error (when given) says why.
bool ParseProgramFile(const uint8_t* data, size_t size, FxProgram* out, std::string* error);
bool ParseBankFile(const uint8_t* data, size_t size, FxBank* out, std::string* error);

// Which kind a file image claims to be, from its format magic.
enum class FxFileKind
{
  kUnknown,
  kProgram,
  kBank
};
FxFileKind ProbeProgramFileKind(const uint8_t* data, size_t size);

// Four-character plug-in id as text ('qvx1'), or its decimal value when not printable.
std::string PluginIDText(int32_t id);

// Reads a whole file of at most kMaxProgramFileSize bytes.
bool ReadWholeFile(const char* path, std::vector<uint8_t>* out, std::string* error);
// Writes bytes to path through a temporary file beside it that is renamed over path
// only once everything is on disk; on any failure path is left as it was and no
// temporary file remains.
bool WriteFileReplacing(const char* path, const std::vector<uint8_t>& bytes, std::string* error);
