#pragma once
// UTF-8 encoding and bounded decoding, shared by the raster text paths and the font shim.
#include <cstdint>

// Writes cp as 1 to 4 bytes into out (room for 4) and returns the byte count.
int UTL_EncodeUtf8(uint32_t cp, char* out);

// One code point from s[*i], never reading at or past len; malformed input (bad lead or
// continuation byte, overlong form, surrogate, beyond U+10FFFF, cut off by len) yields
// U+FFFD and consumes one byte, so every byte is read at most once.
uint32_t UTL_DecodeUtf8(const unsigned char* s, int len, int* i);
