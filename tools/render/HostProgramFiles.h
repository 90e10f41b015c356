#pragma once
// Program (.fxp) and bank (.fxb) files from the host's side, for any VST 2 plug-in,
// the way DAWs handle them: the chunk forms travel through effGetChunk/effSetChunk
// (index 1 for a program, 0 for a bank), the plain forms through getParameter and
// setParameter with the program calls around them. A file is checked whole (layout,
// plug-in id, parameter counts) before the plug-in is touched.
#include <string>
#include <vector>

#include "core/ProgramFiles.h"
#include "vst2/vst2_interface.h"

// Reads a program or a bank file (told apart by its contents) and applies it.
bool LoadProgramFileIntoPlugin(AEffect* effect, const std::string& path, std::string* error);
// Writes the current program (".fxp") or every program (".fxb"), by the path's
// extension; chunk forms when the plug-in has effFlagsProgramChunks.
bool SaveProgramFileFromPlugin(AEffect* effect, const std::string& path, std::string* error);

bool ApplyProgramToPlugin(AEffect* effect, const FxProgram& program, std::string* error);
bool ApplyBankToPlugin(AEffect* effect, const FxBank& bank, std::string* error);
bool CaptureProgramFromPlugin(AEffect* effect, FxProgram* out, std::string* error);
bool CaptureBankFromPlugin(AEffect* effect, FxBank* out, std::string* error);

// The plug-in's program names in order, and its current program.
std::vector<std::string> PluginProgramNames(AEffect* effect);
int PluginCurrentProgram(AEffect* effect);

// kProgram for ".fxp", kBank for ".fxb" (any letter case), else kUnknown.
FxFileKind ProgramFileKindOfPath(const std::string& path);
