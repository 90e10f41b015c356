#pragma once
// The editor factory: every window layer defines it once, so the effect builds its
// editor without knowing the platform.
class IEffectBase;
class IGraphics;

// Creates the platform's editor for `plug` at width x height pixels and `fps` redraws
// per second (0 or less: the editor's default). It opens no window and connects to no
// window system: that waits until the host opens the editor.
IGraphics* MakeGraphics(IEffectBase* plug, int width, int height, int fps);
