#pragma once
// Who the effect is: the names and numbers the plug-in base hands to hosts. The artwork
// tool prints the same name, maker and version on the about box.
#include <cstdint>

namespace QuorvaneIdentity
{

constexpr int FourCC(char a, char b, char c, char d)
{
  return int((uint32_t(uint8_t(a)) << 24) | (uint32_t(uint8_t(b)) << 16) |
             (uint32_t(uint8_t(c)) << 8) | uint32_t(uint8_t(d)));
}

constexpr const char* kEffectName = "Quorvane";
constexpr const char* kProductName = "";
constexpr const char* kMfrName = "halvercombe";
constexpr int kVersion = 0x00020300; // v2.3.0
constexpr int kUniqueID = FourCC('q', 'v', 'x', '1');
constexpr int kMfrID = FourCC('H', 'l', 'v', 'c');
// The LV2 plug-in's URI: its name in every LV2 host's sessions, never to change.
constexpr const char* kLV2URI = "urn:halvercombe:quorvane";

} // namespace QuorvaneIdentity
