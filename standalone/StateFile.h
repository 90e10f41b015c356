#pragma once
// Where the app keeps its sound between runs, and the file operations behind it:
// a small file read whole, and a replacement written so that a crash or a full disk
// leaves either the old file or the new one, never a mix.
#include <cstdint>
#include <string>
#include <vector>

// $XDG_CONFIG_HOME/quorvane/state, or ~/.config/quorvane/state when that variable is
// unset, empty or not an absolute path. Empty when neither it nor HOME is usable.
std::string DefaultStatePath();

// Reads a whole file of at most maxBytes. False with error set when it is missing,
// unreadable or larger.
bool ReadSmallFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>* out,
                   std::string* error);

// Writes bytes to a temporary file beside path, flushes it to disk and renames it over
// path, creating missing folders first. False with error set (and path untouched) on
// any failure.
bool WriteFileAtomically(const std::string& path, const uint8_t* bytes, size_t size,
                         std::string* error);
