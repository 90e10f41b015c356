#pragma once
// Where the app keeps its sound between runs, and the write that keeps it: folders
// created as needed, then a replacement so that a crash or a full disk leaves
// either the old file or the new one, never a mix. Reading is ReadWholeFile's.
#include <cstdint>
#include <string>
#include <vector>

// $XDG_CONFIG_HOME/quorvane/state, or ~/.config/quorvane/state when that variable is
// unset, empty or not an absolute path. Empty when neither it nor HOME is usable.
std::string DefaultStatePath();

// Creates the missing folders of path (private to the user), then replaces the file.
// False with error set, and any file at path untouched, on failure.
bool WriteStateFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);
