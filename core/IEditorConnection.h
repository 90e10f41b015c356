#pragma once
// What the plug-in base and the host bindings ask of an editor: value pushes, the
// drawing set-up, the program and bank files' dialog, and the window calls a host
// makes. The editor (IGraphics) implements it, so core/ and the bindings build and
// link without the editor library. The plug-in base owns the editor it holds and
// deletes it through this interface.
class UTL_String;

enum EFileAction
{
  kFileOpen = 0,
  kFileSave = 1
};

class IEditorConnection
{
public:
  IEditorConnection() = default;
  IEditorConnection(const IEditorConnection&) = delete;
  IEditorConnection& operator=(const IEditorConnection&) = delete;
  // Defined out of line: its type information lives in the core library.
  virtual ~IEditorConnection();

  // ---- Any thread: never blocks or allocates ----------------------------------------
  // Pushes a parameter's value (plain when normalized is false) into the controls
  // bound to it. Host threads call it, often while the instance mutex is held.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized) = 0;
  // Sets one control's value (the effect's LED); out-of-range indices do nothing.
  virtual void SetControlFromPlug(int controlIdx, double normalizedValue) = 0;

  // ---- Attaching: the plug-in base calls it under the instance mutex -------------------
  // Creates what drawing needs, once the controls are attached.
  virtual void PrepDraw() = 0;

  // ---- The host's UI thread -------------------------------------------------------
  // Editor size in pixels, for the host's editor rectangle and a window of its own.
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Opens the editor inside the platform window parent; null when it cannot.
  virtual void* OpenWindow(void* parent) = 0;
  virtual void CloseWindow() = 0;
  // The host gives the editor a turn: pump events, apply pending values, redraw.
  virtual void OnHostIdle() = 0;
  // Modal file dialog starting in dir; extensions are space-separated ("fxp fxb").
  // Leaves file empty when the user cancels.
  virtual void PromptForFile(UTL_String* file, EFileAction action, UTL_String* dir,
                             const char* extensions) = 0;
};
