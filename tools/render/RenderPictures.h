#pragma once
// The pictures quorvane-render writes besides (or instead of) audio: the editor snapshot
// (--snapshot) and the small-signal response (--response).
#include <string>

#include "tools/render/RenderArgs.h"
#include "tools/render/VstHost.h"

// Writes the pictures args asks for, of a started plug-in with its parameters set, and
// prints one line per picture. False with a message on the first failure.
bool RenderPictures(VstPlugin& plugin, const RenderArgs& args, double rate, int block,
                    std::string* error);

// "Name display label" of every parameter, joined by ", ".
std::string ParameterSettings(VstPlugin& plugin);
