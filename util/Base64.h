#pragma once
// Standard Base64 ("A-Z a-z 0-9 + /"), our own encoder and decoder.
#include <cstdint>

class UTL_String;

// Decodes text until its first character outside the alphabet ("=" or the end).
// At most outSize bytes are written; the rest is dropped. Returns the number of
// bytes written.
int Base64Decode(const char* text, uint8_t* out, int outSize);

// Encodes size bytes, padded with "=" to a multiple of four characters.
void Base64Encode(const uint8_t* data, int size, UTL_String* out);
