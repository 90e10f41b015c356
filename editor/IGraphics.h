#pragma once
// The platform-independent editor. This header grows with the editor module; the
// plug-in base (core/) calls only the virtual members below, so core needs this
// header but never links against the editor.

class IGraphics
{
public:
  virtual ~IGraphics() = default;

  // Pushes a parameter's value into every control bound to it. A plain value is
  // normalised through the parameter first.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized) = 0;
  // Creates the draw and scratch bitmaps.
  virtual void PrepDraw() = 0;
  // Sets one control's value from the plug-in (the effect's LED); out-of-range indices do nothing.
  virtual void SetControlFromPlug(int controlIdx, double normalizedValue) = 0;
};
