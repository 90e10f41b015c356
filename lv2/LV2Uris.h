#pragma once
// URIs the LV2 binding, its Turtle writer and its UI share.

// The state property holding the program chunk (an atom:Chunk of its bytes).
constexpr const char* kLV2ProgramChunkURI = "urn:quorvane:lv2#programChunk";
// Suffixes of a plug-in's URI naming its UI and its presets ("#preset1" ...).
constexpr const char* kLV2UISuffix = "#ui";
constexpr const char* kLV2PresetSuffix = "#preset";
