#pragma once
// The platform-independent editor: an ordered list of controls drawn back to front
// into an off-screen bitmap, dirty tracking, mouse and key routing, the links between
// controls and parameters, drawing primitives and the process-wide bitmap and font
// caches. The plug-in base (core/) and the host bindings see it only as the
// IEditorConnection it implements.
#include "core/IEditorConnection.h"
#include "editor/IGraphicsTypes.h"
#include "editor/PendingSlots.h"
#include "util/UTL_PtrList.h"

#include <atomic>
#include <thread>

class IControl;
class IEffectBase;
class IParam;
class IPopupMenu;
class UTL_String;
class RAS_IBitmap;
class RAS_IFont;
class RAS_MemBitmap;
class RAS_SysBitmap;

class IGraphics : public IEditorConnection
{
public:
  // A frame rate of 0 or less means the default of 25 per second.
  IGraphics(IEffectBase* plug, int width, int height, int fps = 0);
  // Deletes the key catcher, every control and both bitmaps.
  ~IGraphics() override;
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- Any thread: never blocks or allocates ----------------------------------------
  // Pushes a parameter's value into every control bound to it (also as an auxiliary
  // parameter). A plain value is normalised through the parameter first. On the UI
  // thread, or while no window exists, the controls change at once; from any other
  // thread the value waits in the parameter's pending slot for the UI thread.
  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override;
  // Sets one control's value from the plug-in (the effect's LED), by the same rule;
  // out-of-range indices do nothing.
  void SetControlFromPlug(int controlIdx, double normalizedValue) override;

  // Creates the draw and scratch bitmaps and sizes the parameter slots.
  void PrepDraw() override;

  // ---- UI thread: called by the platform layer ------------------------------------
  // The window exists: the calling thread owns the controls from now on, and values
  // pushed from other threads wait in pending slots until ApplyPendingFromPlug.
  void BeginUIThread();
  // Applies the values pushed from other threads since the last call; the platform
  // calls it at every idle tick, before IsDirty.
  void ApplyPendingFromPlug();
  // The window is going: applies what is pending; pushes then apply directly again.
  void EndUIThread();
  // A user's change to the parameter: a host value still waiting is older and must not
  // land on top of it. (A host push racing with the change may still land after it.)
  void DropPendingParameter(int paramIdx) { mPendingParams.Discard(paramIdx); }
  // True on the thread that owns the controls while a window exists.
  bool IsUIThread() const
  {
    return mUIThread.load(std::memory_order_acquire) == std::this_thread::get_id();
  }
  // The host's GUI thread gives the editor a turn (Linux hosts send effEditIdle): the
  // platform pumps its window's events, applies pending values and redraws what is
  // dirty. Platforms with their own run loop and timer leave it empty.
  void OnHostIdle() override {}

  // ---- Platform operations ------------------------------------------------------
  // Copies the draw bitmap's region to the window.
  virtual bool DrawScreen(IRECT* rect) = 0;
  virtual bool MeasureIText(IText* text, const char* str, IRECT* rect);
  // Closes an open text entry.
  virtual void ForceEndUserEdit() = 0;
  // Deletes every control; the plug-in attaches its controls again afterwards. UI
  // thread; without a window it holds off the other threads' direct pushes meanwhile.
  virtual void Resize(int w, int h);
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
  virtual const char* GetGUIAPI() { return ""; }
  virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
  // Shows the menu modally at the rectangle. Returns the menu in which an item was
  // chosen (with its chosen index set), or null when the menu was dismissed.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) = 0;
  // Opens an edit field over the rectangle. On commit the platform calls
  // SetFromStringAfterPrompt (with a parameter) or the control's TextFromTextEntry.
  virtual void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                               IParam* param) = 0;
  virtual void HostPath(UTL_String* path) = 0;
  virtual void PluginPath(UTL_String* path) = 0;
  virtual void DesktopPath(UTL_String* path) = 0;
  virtual void AppSupportPath(UTL_String* path) = 0;
  // Modal; leaves file empty when the user cancels.
  void PromptForFile(UTL_String* file, EFileAction action, UTL_String* dir,
                     const char* extensions) override = 0;
  virtual bool PromptForColor(IColor* color, const char* prompt) = 0;
  // Returns whether the URL was opened.
  virtual bool OpenURL(const char* url, const char* windowTitle = nullptr,
                       const char* confirmText = nullptr, const char* failureText = nullptr) = 0;
  void* OpenWindow(void* parent) override = 0;
  virtual void* OpenWindow(void*, void*, short, short) { return nullptr; }
  virtual void AttachSubWindow(void*) {}
  virtual void RemoveSubWindow() {}
  void CloseWindow() override = 0;
  virtual void* GetWindow() = 0;
  virtual void HideMouseCursor() {}
  virtual void ShowMouseCursor() {}
  virtual void UpdateTooltips() = 0;
  // Decodes the named image resource into a new bitmap, or returns null.
  virtual RAS_IBitmap* OSLoadBitmap(int id, const char* name) = 0;

  // ---- Controls -----------------------------------------------------------------
  // Takes ownership; returns the control's index (-1 for a null control).
  int AttachControl(IControl* control);
  // Inserts a bitmap control at index 0, moving every other control up by one.
  void AttachBackground(int id, const char* name);
  void AttachPanelBackground(const IColor* color);
  // Receives keys no control under the pointer claims; owned, not in the control list.
  void AttachKeyCatcher(IControl* control);
  IControl* GetControl(int idx) const { return mControls.Get(idx); }
  int GetNControls() const { return mControls.GetSize(); }
  IControl* GetKeyCatcher() const { return mKeyCatcher; }

  // ---- Parameter links ------------------------------------------------------------
  // Keeps every control bound to the parameter in step with a user change.
  void SetParameterFromGUI(int paramIdx, double normalizedValue);
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);
  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool gray);
  void SetAllControlsDirty();
  void SetStrictDrawing(bool strict);
  bool IsStrictDrawing() const { return mStrict; }

  // Offers a menu for enumerated parameters, a text entry for the others.
  void PromptUserInput(IControl* control, IParam* param, IRECT* rect);
  // A committed text entry for a parameter.
  void SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text);

  // ---- Events (editor pixels, origin top left) -------------------------------------
  void OnMouseDown(int x, int y, IMouseMod* mod);
  void OnMouseUp(int x, int y, IMouseMod* mod);
  void OnMouseDrag(int x, int y, IMouseMod* mod);
  // True when the double click was delivered as a press (a capture started).
  bool OnMouseDblClick(int x, int y, IMouseMod* mod);
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  bool OnMouseOver(int x, int y, IMouseMod* mod);
  void OnMouseOut();
  bool OnKeyDown(int x, int y, int key);
  int GetMouseControlIdx(int x, int y, bool mouseOver = false);
  void ReleaseMouseCapture();
  int GetParamIdxForPTAutomation(int x, int y);
  int GetLastClickedParamForPTAutomation();
  void OnGUIIdle();

  // ---- Redraw -------------------------------------------------------------------
  // Merges the rectangles of the dirty controls into *rect; true when any is dirty.
  bool IsDirty(IRECT* rect);
  // Redraws the controls touching the region into the draw bitmap, then DrawScreen(region).
  bool Draw(IRECT* region);

  // ---- State --------------------------------------------------------------------
  IEffectBase* GetPlug() const { return mPlug; }
  int Width() const final { return mWidth; }
  int Height() const final { return mHeight; }
  int FPS() const { return mFPS; }
  const IRECT& GetDrawRect() const { return mDrawRECT; }
  RAS_SysBitmap* GetDrawBitmap() const { return mDrawBitmap; }
  RAS_MemBitmap* GetScratchBitmap() const { return mTmpBitmap; }
  int GetMouseCapture() const { return mMouseCapture; }
  int GetMouseOver() const { return mMouseOver; }
  int GetMouseX() const { return mMouseX; }
  int GetMouseY() const { return mMouseY; }
  void HandleMouseOver(bool canHandle) { mHandleMouseOver = canHandle; }
  bool CanHandleMouseOver() const { return mHandleMouseOver; }
  void EnableTooltips(bool enable) { mEnableTooltips = enable; }
  bool TooltipsEnabled() const { return mEnableTooltips; }
  // Maintained by the platform layer while it hides the cursor.
  bool mCursorHidden = false;
  int mHiddenMousePointX = -1, mHiddenMousePointY = -1;

  // ---- Bitmaps (process-wide cache) ------------------------------------------------
  // An image that cannot be loaded gives an IBitmap without data and of size 0 x 0.
  IBitmap LoadIBitmap(int id, const char* name, int frames = 1, bool horizontalFrames = false);
  // Hands a bitmap to the cache (under id -1) so that it is deleted with the cache.
  void RetainBitmap(IBitmap* bitmap);
  // Removes the bitmap from the cache and deletes it.
  void ReleaseBitmap(IBitmap* bitmap);
  IBitmap ScaleBitmap(IBitmap* bitmap, int destW, int destH);
  IBitmap CropBitmap(IBitmap* bitmap, IRECT* rect);
  // The draw bitmap's pixel memory, or null before PrepDraw.
  void* GetBits();

  // ---- Drawing primitives (into the draw bitmap) -------------------------------------
  // Only DrawBitmap and DrawRotatedMask's final blit clip to the draw rect.
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY,
                  const IChannelBlend* blend = nullptr);
  // Frames are numbered from 1; 1 or less shows the first frame.
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame = 1,
                  const IChannelBlend* blend = nullptr);
  // Angle in radians; the whole bitmap turns about the point (cx, cy).
  bool DrawRotatedBitmap(IBitmap* bitmap, int cx, int cy, double angle, int rotationYOffset = 0,
                         const IChannelBlend* blend = nullptr);
  // Angle in degrees. The mask adds light to the base, the top is copied over it.
  bool DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angle,
                       const IChannelBlend* blend = nullptr);
  bool DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend = nullptr,
                 bool antiAlias = false);
  // Writes the pixel as is; a point outside the draw bitmap does nothing.
  bool ForcePixel(const IColor* color, int x, int y);
  bool DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                const IChannelBlend* blend = nullptr, bool antiAlias = false);
  // Angles in radians, 0 up and clockwise.
  bool DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool DrawCircle(const IColor* color, float cx, float cy, float r,
                  const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool RoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend, int cornerRadius,
                 bool antiAlias);
  bool FillRoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend, int cornerRadius,
                     bool antiAlias);
  bool FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend = nullptr);
  bool FillCircle(const IColor* color, int cx, int cy, float r,
                  const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                    const IChannelBlend* blend = nullptr);
  bool FillIConvexPolygon(const IColor* color, int* x, int* y, int n,
                          const IChannelBlend* blend = nullptr);
  // Reads a pixel of the draw bitmap (transparent black outside it).
  IColor GetPoint(int x, int y);
  bool DrawVerticalLine(const IColor* color, int x, int y1, int y2);
  bool DrawHorizontalLine(const IColor* color, int y, int x1, int x2);
  bool DrawRect(const IColor* color, IRECT* rect);
  // x in 0..1 across the rectangle.
  bool DrawVerticalLine(const IColor* color, IRECT* rect, float x);
  // y in 0..1 up the rectangle.
  bool DrawHorizontalLine(const IColor* color, IRECT* rect, float y);
  // Angle in radians, 0 up and clockwise.
  bool DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* blend = nullptr, bool antiAlias = false);

  // ---- Text (process-wide font cache) ------------------------------------------------
  // Draws str inside *rect (not clipped to it), or with measure sets *rect to the
  // text's box. False when the font cannot be made.
  bool DrawIText(IText* text, const char* str, IRECT* rect, bool measure = false);
  // The text style's font from the cache, made on first use; null on failure.
  RAS_IFont* CacheFont(IText* text);

private:
  UTL_PtrList<IControl> mControls;
  IEffectBase* mPlug;
  IRECT mDrawRECT;
  RAS_SysBitmap* mDrawBitmap = nullptr;
  RAS_MemBitmap* mTmpBitmap = nullptr;
  int mWidth, mHeight;
  int mFPS;
  int mMouseCapture = -1;
  int mMouseOver = -1;
  int mMouseX = 0, mMouseY = 0;
  int mLastClickedParam = -1;
  bool mHandleMouseOver = false;
  bool mStrict = true;
  bool mEnableTooltips = false;
  IControl* mKeyCatcher = nullptr;

  // ---- Hand-over of values pushed from other threads ---------------------------------
  // mHandover holds these bits; any thread changes it by compare-and-swap.
  //   kOwned:   a window exists and mUIThread owns the controls.
  //   kBusy:    without a window, one pushing thread holds the controls to apply values
  //             directly; the others record and leave the applying to it.
  //   kPending: a slot was recorded that the holder may not have applied yet.
  // A pusher always records into its slot first, then either takes kBusy (applying
  // every slot, its own included) or sets kPending for the holder. Whoever clears
  // kPending drains afterwards, so a record whose flag was raised before the clear is
  // always seen; kBusy and kOwned are only given up by a compare-and-swap that fails
  // when kPending was raised meanwhile, so no record is left behind at a hand-over:
  //   push while the window opens:  BeginUIThread waits for kBusy to drop, then drains.
  //   push while the window closes: either the push saw kOwned and raised kPending, which
  //     makes EndUIThread's swap fail and drain again, or it saw neither bit and applies
  //     itself after EndUIThread has let go.
  //   push while another pushes:    the later one raises kPending, the holder drains
  //     again before releasing kBusy.
  // The audio thread never waits: at worst it retries a compare-and-swap.
  enum : unsigned
  {
    kOwned = 1u,
    kBusy = 2u,
    kPending = 4u
  };
  std::atomic<unsigned> mHandover{0};
  // Written by the UI thread in BeginUIThread and EndUIThread, read by every thread.
  std::atomic<std::thread::id> mUIThread{};
  // Written by any pushing thread, drained by whoever holds the controls. Only these
  // slots, never the controls, are touched by a thread that does not hold them.
  PendingSlots mPendingParams;   // by parameter index
  PendingSlots mPendingControls; // by control index

  void HandOver(PendingSlots& slots, int idx, double value, bool isControl);
  void ApplyParameter(int paramIdx, double normalizedValue);
  void ApplyControl(int controlIdx, double normalizedValue);
  void ApplyAllPending();
  // Pushing thread: takes kBusy when nothing holds the controls, else raises kPending.
  bool TakeControlsOrFlag();
  // Drains what was flagged while kBusy was held, then lets go of it.
  void ReleaseControls();
  // Waits until no pushing thread holds the controls, then sets bit (kOwned or kBusy).
  // False, without waiting, for kBusy while a window's UI thread owns them.
  bool WaitForControls(unsigned bit);
  void ReserveControlSlots() { mPendingControls.Reserve(mControls.GetSize()); }

  // Topmost visible, enabled control hit at (x, y), or -1.
  int FindControl(int x, int y, bool mouseOver) const;
  void DeleteBitmaps();
};

// The plug-in's editor as the IGraphics that editor code and controls work with: null
// without a plug-in, without an editor, or when the editor attached is not an IGraphics.
IGraphics* GetGraphics(const IEffectBase* plug);
