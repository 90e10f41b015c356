// Builds of the effect for a host that shows the editor from a library of its own (the
// LV2 plug-in library, whose UI library builds the editor): the effect makes none, and
// the library links no editor or window layer.
#include "effect/Quorvane.h"

void Quorvane::MakeEditor() {}
