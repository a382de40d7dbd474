// Windowed controls: every control is a real window. Standard window classes
// (BUTTON, STATIC, ...) report to their parent; the parent hands each report
// back to the control it came from, so a control's events live in its class.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Classes.h"
#include "Dpi.h"
#include "Graphics.h"

namespace gui {

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
constexpr unsigned kDefaultAnchors = akLeft | akTop;

struct TCreateParams {
  const char* className = nullptr;  // nullptr: the layer's own window class
  std::string caption;
  DWORD style = 0;
  DWORD exStyle = 0;
  // A window of UTF-16 text (a standard class only): it holds what the user
  // types whole, also characters the code page lacks, for the control to
  // read with GetWindowTextW and judge.
  bool unicode = false;
};

class TWinControl : public TComponent {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  // The window, created on first use together with its parent's.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void DestroyHandle();
  static TWinControl* FromHandle(HWND hwnd);

  TWinControl* Parent() const { return parent_; }
  void SetParent(TWinControl* parent);
  int ControlCount() const { return int(controls_.size()); }
  TWinControl* Controls(int index) const { return controls_.at(size_t(index)); }

  // Where the control stands in its parent's client area, given in 96-dpi
  // units (pixels at 100 %): the layer scales them to the DPI of the form,
  // and again from the same units when the form moves to a screen of
  // another DPI. A form's own place and size are the screen's pixels; its
  // client area is designed with TForm::SetClientSize.
  virtual void SetBounds(int left, int top, int width, int height);
  void SetLeft(int v) { SetBounds(v, design_.top, design_.width, design_.height); }
  void SetWidth(int v) { SetBounds(design_.left, design_.top, v, design_.height); }
  void SetHeight(int v) { SetBounds(design_.left, design_.top, design_.width, v); }
  // What the window has: pixels at its DPI.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  virtual int ClientWidth();
  virtual int ClientHeight();
  // Places the window in pixels, for layouts that measure in pixels (a
  // toolbar placing a control among its buttons, a form centred on the
  // screen). The units given to SetBounds stay: the parent's next layout
  // places the control by them again.
  void SetPixelBounds(int left, int top, int width, int height);

  // The DPI the control is drawn at: its form's. A control takes its
  // parent's when it is placed on it.
  int Dpi() const { return dpi_; }
  // `units` of 96 dpi in this control's pixels.
  int Scale(int units) const { return ScaleToDpi(units, dpi_); }
  // The size text takes in the control's font at its DPI (DrawText's
  // format; `width` for text that breaks into lines).
  SIZE TextExtent(const std::string& text, UINT format, int width = 0) const;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& text);
  // The window's current text (what a user typed into an edit field).
  std::string GetText();

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  void SetFocus();

  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);
  unsigned Anchors = kDefaultAnchors;

  // A change of the font, or of whether the parent's is used, shows at once.
  TFont Font;
  void SetParentFont(bool parentFont);
  const TFont& EffectiveFont() const;
  // The background of the control; a colour of its own (not the parent's)
  // once set, shown at once on a live control.
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TColor EffectiveColor() const;

  TNotifyEvent OnClick;

  void Invalidate();
  void Repaint();

 protected:
  virtual void CreateParams(TCreateParams& params);
  // After the window exists: fonts, images and state that need a handle.
  virtual void CreateWnd();
  // Before the window goes: gives back what the window holds but does not own.
  virtual void DestroyWnd() {}
  // Runs the change of a field that CreateParams reads, then gives a live
  // window the style bits that changed with it.
  void ChangeStyle(const std::function<void()>& change);
  // Messages of the layer's own window class; the default is DefWindowProc.
  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // Reports of a standard control, handed back from its parent.
  virtual void CNCommand(WORD /*code*/) {}
  // The same report with the command number, for controls that send several
  // (a toolbar's buttons); the default passes the code on to CNCommand.
  virtual void CNCommandId(WORD /*id*/, WORD code) { CNCommand(code); }
  virtual LRESULT CNNotify(NMHDR* /*header*/) { return 0; }
  virtual HBRUSH CtlColor(HDC dc);
  // After the colour changed on a live window; the default repaints it.
  virtual void ColorChanged();
  // Lays out children by Align and Anchors after the client area or the
  // DPI changed: aligned children take their strips, the others their
  // place in units, kept at the distances their anchors hold to the edges
  // of the client area as designed.
  virtual void AlignControls();
  // The client area the children's units were given for, in units: the
  // control's own size, or for an aligned control the strip its parent's
  // design gives it.
  virtual SIZE DesignClientSize() const;
  // Puts the whole tree of controls on another DPI (fonts, metrics), then
  // lays it out again from the units. Forms call this when they learn the
  // DPI of their screen.
  void ChangeDpi(int dpi);
  // After the DPI changed: what a control keeps in pixels of its own
  // (indents, panel widths, button sizes) follows.
  virtual void DpiChanged() {}
  // Whether SetBounds takes pixels (a form on the screen) rather than units.
  virtual bool BoundsInPixels() const { return false; }
  // Whether this control places its children itself, in pixels (a toolbar
  // among its buttons): they then keep their place through every layout,
  // and only their size follows their units.
  virtual bool PlacesControls() const { return false; }
  // The window was moved or sized by someone else (the user, the system):
  // the control takes the rectangle as its own.
  void BoundsChanged(const RECT& r);
  // A control that shows a caption may grow just enough for it in its font:
  // the size the caption needs at a width, or nothing (0, 0).
  virtual SIZE CaptionExtent(int /*width*/) { return SIZE{0, 0}; }
  void SetGrowToCaption(bool grow);
  bool GrowsToCaption() const { return growToCaption_; }
  // Routes the reports of child controls; own-class windows call this.
  bool ReflectMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  int ControlId() const { return id_; }

  HWND handle_ = nullptr;

 private:
  friend LRESULT CALLBACK LayerWindowProc(HWND, UINT, WPARAM, LPARAM);
  void CreateHandle();
  void CreateChildHandles();
  void FontChanged();
  void UpdateBounds();
  // Sets the DPI of the tree of controls without laying anything out.
  void SetDpiTree(int dpi);
  void LayoutTree();
  // The pixels of a control that is not aligned: its units at the DPI, kept
  // at its anchors' distances from the parent's edges, grown to its caption.
  RECT LayoutRect() const;
  void Place(const RECT& r);

  TWinControl* parent_ = nullptr;
  std::vector<TWinControl*> controls_;
  struct Units {
    int left, top, width, height;
  };
  Units design_{0, 0, 0, 0};
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  int dpi_ = kDesignDpi;
  int lastClientWidth_ = -1, lastClientHeight_ = -1, lastLayoutDpi_ = 0;
  bool growToCaption_ = false;
  std::string caption_;
  bool visible_ = true;
  bool enabled_ = true;
  bool parentFont_ = true;
  TAlign align_ = alNone;
  TColor color_ = clBtnFace;
  bool parentColor_ = true;
  int id_ = 0;
  TBrushHandle brush_;
  COLORREF brushColor_ = 0;
};

// Standard controls whose own messages the layer needs to see (mouse, drops,
// reports of controls placed on them) get a window subclass; the subclass
// hands the messages to SubclassProc, which defaults to the control's own
// window procedure.
class TSubclassedControl : public TWinControl {
 public:
  explicit TSubclassedControl(TComponent* AOwner) : TWinControl(AOwner) {}
  ~TSubclassedControl() override;

 protected:
  void CreateWnd() override;
  virtual LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT DefSubclassProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // A message straight to the control's own procedure, past the subclass,
  // for messages the subclass has nothing to do with that go in bulk: under
  // Wine every message through a subclass costs two trips to the server.
  LRESULT ControlProc(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  WNDPROC controlProc_ = nullptr;
};

// Registers a window class of the program's own, once however often asked:
// its procedure, the program's icon and the arrow.
void RegisterWindowClass(const char* name, WNDPROC proc, UINT style = 0);

}  // namespace gui
