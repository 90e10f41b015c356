#include "core/ProgramFiles.h"

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr char kChunkMagic[] = "CcnK";
constexpr char kProgramPlainMagic[] = "FxCk";
constexpr char kProgramChunkMagic[] = "FPCh";
constexpr char kBankPlainMagic[] = "FxBk";
constexpr char kBankChunkMagic[] = "FBCh";
constexpr int32_t kProgramFormatVersion = 1;
constexpr int32_t kBankFormatVersion = 2;

// ---- Writing ----------------------------------------------------------------------------

void PutMagic(std::vector<uint8_t>* out, const char* magic)
{
  for (int i = 0; i < 4; ++i)
    out->push_back(uint8_t(magic[i]));
}

void PutInt(std::vector<uint8_t>* out, uint32_t v)
{
  for (int shift = 24; shift >= 0; shift -= 8)
    out->push_back(uint8_t(v >> shift));
}

void PutFloat(std::vector<uint8_t>* out, float f)
{
  uint32_t bits;
  memcpy(&bits, &f, 4);
  PutInt(out, bits);
}

// 27 characters at most, never ending inside a UTF-8 sequence, zero-filled to 28 bytes.
void PutName(std::vector<uint8_t>* out, const std::string& name)
{
  size_t n = name.size() < size_t(kProgramFileNameLen - 1) ? name.size() : kProgramFileNameLen - 1;
  if (n < name.size())
    while (n > 0 && (uint8_t(name[n]) & 0xC0) == 0x80)
      --n;
  const size_t nul = name.find('\0');
  if (nul < n) n = nul;
  const size_t at = out->size();
  out->resize(at + kProgramFileNameLen, 0);
  memcpy(out->data() + at, name.data(), n);
}

void PutProgramFileHeader(std::vector<uint8_t>* out, const FxProgram& p, uint32_t byteSize)
{
  PutMagic(out, kChunkMagic);
  PutInt(out, byteSize);
  PutMagic(out, p.isChunk ? kProgramChunkMagic : kProgramPlainMagic);
  PutInt(out, kProgramFormatVersion);
  PutInt(out, uint32_t(p.pluginID));
  PutInt(out, uint32_t(p.pluginVersion));
  PutInt(out, uint32_t(p.isChunk ? p.numParams : int32_t(p.values.size())));
  PutName(out, p.name);
}

void PutChunk(std::vector<uint8_t>* out, const std::vector<uint8_t>& chunk)
{
  PutInt(out, uint32_t(chunk.size()));
  out->insert(out->end(), chunk.begin(), chunk.end());
}

void PutPlainProgram(std::vector<uint8_t>* out, const FxProgram& p)
{
  FxProgram plain = p;
  plain.isChunk = false;
  PutProgramFileHeader(out, plain, 0);
  for (float v : p.values)
    PutFloat(out, v);
}

// ---- Reading ----------------------------------------------------------------------------

// A bounded view of the file image; every read checks that it lies wholly inside.
struct Reader
{
  const uint8_t* data;
  size_t size;

  bool Has(size_t pos, size_t n) const { return pos <= size && n <= size - pos; }
  bool IsMagic(size_t pos, const char* magic) const
  {
    return Has(pos, 4) && memcmp(data + pos, magic, 4) == 0;
  }
  int32_t Int(size_t pos) const
  {
    const uint8_t* b = data + pos;
    return int32_t(uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3]);
  }
  float Float(size_t pos) const
  {
    const uint32_t bits = uint32_t(Int(pos));
    float f;
    memcpy(&f, &bits, 4);
    return f;
  }
  std::string Magic(size_t pos) const
  {
    std::string m(reinterpret_cast<const char*>(data + pos), 4);
    for (char& c : m)
      if (c < 0x20 || c > 0x7e) c = '?';
    return m;
  }
  // The name field: up to its first zero byte, never past its 28 bytes.
  std::string Name(size_t pos) const
  {
    const char* s = reinterpret_cast<const char*>(data + pos);
    return std::string(s, strnlen(s, kProgramFileNameLen));
  }
};

bool Fail(std::string* error, const std::string& why)
{
  if (error) *error = why;
  return false;
}

// The program header at pos: magics, version and fields. Leaves the data after it
// to the caller.
bool ReadProgramFileHeader(const Reader& r, size_t pos, FxProgram* p, std::string* error)
{
  if (!r.Has(pos, kProgramFileHeaderSize))
    return Fail(error, "shorter than a program header (" + std::to_string(kProgramFileHeaderSize) +
                           " bytes)");
  if (!r.IsMagic(pos, kChunkMagic)) return Fail(error, "not a program file (no CcnK mark)");
  if (r.IsMagic(pos + 8, kProgramChunkMagic))
    p->isChunk = true;
  else if (r.IsMagic(pos + 8, kProgramPlainMagic))
    p->isChunk = false;
  else
    return Fail(error, "unknown program format '" + r.Magic(pos + 8) + "'");
  const int32_t version = r.Int(pos + 12);
  if (version != kProgramFormatVersion)
    return Fail(error, "program format version " + std::to_string(version) + ", expected 1");
  p->pluginID = r.Int(pos + 16);
  p->pluginVersion = r.Int(pos + 20);
  p->numParams = r.Int(pos + 24);
  if (p->numParams < 0)
    return Fail(error, "negative parameter count " + std::to_string(p->numParams));
  p->name = r.Name(pos + 28);
  return true;
}

// Reads the chunk size at pos and the chunk after it.
bool ReadChunk(const Reader& r, size_t pos, std::vector<uint8_t>* chunk, std::string* error)
{
  if (!r.Has(pos, 4)) return Fail(error, "the chunk size is missing");
  const int32_t n = r.Int(pos);
  if (n < 0 || !r.Has(pos + 4, size_t(n)))
    return Fail(error, "the chunk size " + std::to_string(n) + " points past the end of the file");
  chunk->assign(r.data + pos + 4, r.data + pos + 4 + n);
  return true;
}

// Plain values after a header at pos; *end becomes the position after them.
bool ReadValues(const Reader& r, size_t pos, FxProgram* p, size_t* end, std::string* error)
{
  const size_t n = size_t(p->numParams);
  if (!r.Has(pos, 4 * n))
    return Fail(error, "the values end before all " + std::to_string(n) + " parameters are read");
  p->values.resize(n);
  for (size_t i = 0; i < n; ++i)
  {
    p->values[i] = r.Float(pos + 4 * i);
    if (!std::isfinite(p->values[i]))
      return Fail(error, "parameter " + std::to_string(i) + " holds a value that is not a number");
  }
  *end = pos + 4 * n;
  return true;
}
} // namespace

std::vector<uint8_t> WriteProgramFile(const FxProgram& program)
{
  std::vector<uint8_t> out;
  if (!program.isChunk)
  {
    PutPlainProgram(&out, program);
    return out;
  }
  PutProgramFileHeader(&out, program, uint32_t(program.chunk.size() + kProgramChunkOffset));
  PutChunk(&out, program.chunk);
  return out;
}

std::vector<uint8_t> WriteBankFile(const FxBank& bank)
{
  std::vector<uint8_t> out;
  PutMagic(&out, kChunkMagic);
  PutInt(&out, bank.isChunk ? uint32_t(bank.chunk.size() + kBankChunkOffset) : 0u);
  PutMagic(&out, bank.isChunk ? kBankChunkMagic : kBankPlainMagic);
  PutInt(&out, kBankFormatVersion);
  PutInt(&out, uint32_t(bank.pluginID));
  PutInt(&out, uint32_t(bank.pluginVersion));
  PutInt(&out, uint32_t(bank.isChunk ? bank.numPrograms : int32_t(bank.programs.size())));
  PutInt(&out, uint32_t(bank.currentProgram));
  out.resize(kBankFileHeaderSize, 0);
  if (bank.isChunk)
    PutChunk(&out, bank.chunk);
  else
    for (const FxProgram& p : bank.programs)
      PutPlainProgram(&out, p);
  return out;
}

bool ParseProgramFile(const uint8_t* data, size_t size, FxProgram* out, std::string* error)
{
  if (!out) return Fail(error, "nothing to read into");
  const Reader r{data, data ? size : 0};
  FxProgram p;
  if (!ReadProgramFileHeader(r, 0, &p, error)) return false;
  size_t end = 0;
  if (p.isChunk ? !ReadChunk(r, kProgramFileHeaderSize, &p.chunk, error)
                : !ReadValues(r, kProgramFileHeaderSize, &p, &end, error))
    return false;
  *out = std::move(p);
  return true;
}

bool ParseBankFile(const uint8_t* data, size_t size, FxBank* out, std::string* error)
{
  if (!out) return Fail(error, "nothing to read into");
  const Reader r{data, data ? size : 0};
  if (!r.Has(0, kBankFileHeaderSize))
    return Fail(error,
                "shorter than a bank header (" + std::to_string(kBankFileHeaderSize) + " bytes)");
  if (!r.IsMagic(0, kChunkMagic)) return Fail(error, "not a bank file (no CcnK mark)");
  FxBank b;
  if (r.IsMagic(8, kBankChunkMagic))
    b.isChunk = true;
  else if (!r.IsMagic(8, kBankPlainMagic))
    return Fail(error, "unknown bank format '" + r.Magic(8) + "'");
  // The format version is not examined: version 1 banks differ only in leaving the
  // current program unset.
  b.pluginID = r.Int(16);
  b.pluginVersion = r.Int(20);
  b.numPrograms = r.Int(24);
  b.currentProgram = r.Int(28);
  if (b.numPrograms < 0)
    return Fail(error, "negative program count " + std::to_string(b.numPrograms));

  if (b.isChunk)
  {
    if (!ReadChunk(r, kBankFileHeaderSize, &b.chunk, error)) return false;
  }
  else
  {
    // Each program takes at least a header, which bounds the count before any
    // memory is set aside for it.
    if (size_t(b.numPrograms) > (r.size - kBankFileHeaderSize) / kProgramFileHeaderSize)
      return Fail(error,
                  "the programs end before all " + std::to_string(b.numPrograms) + " are read");
    b.programs.resize(size_t(b.numPrograms));
    size_t pos = kBankFileHeaderSize;
    for (size_t i = 0; i < b.programs.size(); ++i)
    {
      FxProgram& p = b.programs[i];
      std::string why;
      bool ok = ReadProgramFileHeader(r, pos, &p, &why);
      if (ok && p.isChunk) ok = Fail(&why, "a chunk program inside a plain bank");
      if (ok) ok = ReadValues(r, pos + kProgramFileHeaderSize, &p, &pos, &why);
      if (!ok) return Fail(error, "program " + std::to_string(i) + ": " + why);
    }
  }
  *out = std::move(b);
  return true;
}

FxFileKind ProbeProgramFileKind(const uint8_t* data, size_t size)
{
  const Reader r{data, data ? size : 0};
  if (!r.IsMagic(0, kChunkMagic)) return FxFileKind::kUnknown;
  if (r.IsMagic(8, kProgramChunkMagic) || r.IsMagic(8, kProgramPlainMagic))
    return FxFileKind::kProgram;
  if (r.IsMagic(8, kBankChunkMagic) || r.IsMagic(8, kBankPlainMagic)) return FxFileKind::kBank;
  return FxFileKind::kUnknown;
}

std::string PluginIDText(int32_t id)
{
  const uint32_t u = uint32_t(id);
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8)
  {
    const char c = char((u >> shift) & 0xff);
    if (c < 0x20 || c > 0x7e) return std::to_string(id);
    s += c;
  }
  return "'" + s + "'";
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>* out, std::string* error)
{
  if (!path || !*path || !out) return Fail(error, "no file given");
  FILE* f = fopen(path, "rb");
  if (!f) return Fail(error, std::string("cannot open ") + path + ": " + strerror(errno));
  std::vector<uint8_t> bytes;
  uint8_t buf[65536];
  bool ok = true;
  for (;;)
  {
    const size_t n = fread(buf, 1, sizeof(buf), f);
    if (bytes.size() + n > kMaxProgramFileSize)
    {
      ok = Fail(error, std::string(path) + " is too large for a program or bank file");
      break;
    }
    bytes.insert(bytes.end(), buf, buf + n);
    if (n < sizeof(buf))
    {
      if (ferror(f)) ok = Fail(error, std::string("cannot read ") + path);
      break;
    }
  }
  fclose(f);
  if (ok) *out = std::move(bytes);
  return ok;
}

bool WriteFileReplacing(const char* path, const std::vector<uint8_t>& bytes, std::string* error)
{
  if (!path || !*path) return Fail(error, "no file given");
  // The temporary name is unique to this process and call; O_EXCL never reuses a
  // file someone else left there. Permissions follow the umask like any new file.
  static std::atomic<int> sCounter{0};
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt)
  {
    temp = std::string(path) + ".tmp" + std::to_string(getpid()) + "-" +
           std::to_string(sCounter.fetch_add(1, std::memory_order_relaxed));
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return Fail(error, std::string("cannot write ") + path + ": " + strerror(errno));

  bool ok = true;
  size_t done = 0;
  while (ok && done < bytes.size())
  {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0)
      done += size_t(n);
    else if (n < 0 && errno == EINTR)
      continue;
    else
      ok = false;
  }
  const int writeErrno = ok ? 0 : (errno ? errno : ENOSPC);
  // fsync before the rename, so a crash cannot leave an empty file under the name.
  if (ok && fsync(fd) != 0) ok = false;
  if (close(fd) != 0) ok = false;
  if (ok && rename(temp.c_str(), path) != 0) ok = false;
  if (!ok)
  {
    const int e = writeErrno ? writeErrno : errno;
    unlink(temp.c_str());
    return Fail(error, std::string("cannot write ") + path + ": " + strerror(e));
  }
  return true;
}
