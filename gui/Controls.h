// Windowed controls: every control is a real window. Standard window classes
// (BUTTON, STATIC, ...) report to their parent; the parent hands each report
// back to the control it came from, so a control's events live in its class.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Classes.h"
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

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual int ClientWidth();
  virtual int ClientHeight();

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
  // Lays out children by Align and Anchors after the client area changed.
  void AlignControls();
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
  void ParentResized(int dx, int dy);

  TWinControl* parent_ = nullptr;
  std::vector<TWinControl*> controls_;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  int lastClientWidth_ = -1, lastClientHeight_ = -1;
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

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
};

// The class name of the layer's own windows, for tools that look for them.
extern const char kLayerWindowClass[];

}  // namespace gui
