#pragma once
// Where the editor puts its controls on the face (top-left corners) and the sizes of the
// images drawn for them. The face's labels, recesses and shadows are drawn around these.

constexpr int kFaceW = 224, kFaceH = 333;

constexpr int kKnobFrame = 48;  // each knob frame is square
constexpr int kKnobFrames = 65; // value 0 in the first frame, 1 in the last
constexpr double kKnobRadius = 19.5;
constexpr double kKnobSweepDeg = 270.0; // from bottom-left through the top to bottom-right

constexpr int kLedSize = 16;    // two frames: off, lit
constexpr int kButtonSize = 38; // two frames: up, pressed
constexpr int kAboutW = 212, kAboutH = 176;

struct ArtPlace
{
  const char* label;
  int x, y;
};
constexpr ArtPlace kKnobs[5] = {
    {"Level", 6, 106}, {"Drive", 170, 106}, {"Low", 44, 84}, {"Mid", 88, 71}, {"High", 131, 84}};
constexpr ArtPlace kLed = {"", 104, 15};
constexpr ArtPlace kButton = {"Effect", 93, 228};
constexpr ArtPlace kAbout = {"", 6, 148};
// The face's click target for the about box: left, top, right, bottom.
constexpr int kAboutTarget[4] = {17, 40, 97, 70};
