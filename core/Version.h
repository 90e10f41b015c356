#pragma once
// Versions are packed ints: major in bits 16 and up, minor in bits 8-15, patch in 0-7.

void GetVersionParts(int version, int* major, int* minor, int* patch);
// major * 10000 + minor * 100 + patch: the form hosts and program files carry.
int GetDecimalVersion(int version);
// "v<major>.<minor>.<patch>"; out holds at least 32 bytes.
void GetVersionStr(int version, char* out);
