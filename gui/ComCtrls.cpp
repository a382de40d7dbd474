#include "ComCtrls.h"

#include <algorithm>
#include <cstring>

#include "Forms.h"

namespace gui {

// --- TToolBar ---------------------------------------------------------------------

TToolButton::~TToolButton() {
  if (toolBar_) toolBar_->RemoveButton(this);
}

bool TToolButton::Live() const { return toolBar_ && toolBar_->HandleAllocated(); }

void TToolButton::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (Live()) SendMessageA(toolBar_->Handle(), TB_ENABLEBUTTON, WPARAM(command_), MAKELPARAM(enabled, 0));
}

void TToolButton::SetStyle(TToolButtonStyle style) {
  style_ = style;
  if (Live()) toolBar_->Rebuild();
}

void TToolButton::SetImageIndex(int index) {
  imageIndex_ = index;
  if (Live()) SendMessageA(toolBar_->Handle(), TB_CHANGEBITMAP, WPARAM(command_), MAKELPARAM(index, 0));
}

void TToolButton::Click() {
  if (enabled_ && OnClick) OnClick(this);
}

TToolBar::TToolBar(TComponent* AOwner) : TSubclassedControl(AOwner) {}

TToolBar::~TToolBar() {
  for (TToolButton* b : buttons_) b->toolBar_ = nullptr;
}

void TToolBar::RemoveButton(TToolButton* button) {
  buttons_.erase(std::remove(buttons_.begin(), buttons_.end(), button), buttons_.end());
  slots_.erase(std::remove_if(slots_.begin(), slots_.end(), [&](const Slot& s) { return s.button == button; }),
               slots_.end());
  Rebuild();
}

void TToolBar::AddButton(TToolButton* button) {
  button->toolBar_ = this;
  button->command_ = nextCommand_++;
  buttons_.push_back(button);
  AddSlot({button, nullptr});
}

void TToolBar::AddControl(TWinControl* control) {
  // Placed among the buttons once it is the toolbar's: taking its parent
  // places a control by its units.
  control->SetParent(this);
  AddSlot({nullptr, control});
}

void TToolBar::AddSlot(const Slot& slot) {
  slots_.push_back(slot);
  Rebuild();
}

void TToolBar::Rebuild() {
  if (!HandleAllocated()) return;
  // A live toolbar is simply built again.
  while (SendMessageA(handle_, TB_BUTTONCOUNT, 0, 0) > 0) SendMessageA(handle_, TB_DELETEBUTTON, 0, 0);
  BuildButtons();
}

void TToolBar::SetImages(TImageList* images) {
  images_.SetList(images);
}

void TToolBar::ApplyImages() {
  if (!HandleAllocated()) return;
  SendMessageA(handle_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_.Handle()));
  if (!slots_.empty()) Rebuild();
  Invalidate();
}

void TToolBar::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  // Tab goes on into the controls placed in the bar.
  params.exStyle |= WS_EX_CONTROLPARENT;
  params.className = TOOLBARCLASSNAMEA;
  params.style |= CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT | TBSTYLE_TRANSPARENT;
}

void TToolBar::CreateWnd() {
  TSubclassedControl::CreateWnd();
  ApplyImages();
  BuildButtons();
}

void TToolBar::BuildButtons() {
  SendMessageA(handle_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  // The control grows its buttons for larger pictures but never shrinks
  // them (back on a screen of a lower DPI): they are sized for the pictures
  // they show now.
  if (const TImageList* images = Images()) {
    const auto padding = DWORD(SendMessageA(handle_, TB_GETPADDING, 0, 0));
    SendMessageA(handle_, TB_SETBUTTONSIZE, 0,
                 MAKELPARAM(images->Width() + LOWORD(padding), images->Height() + HIWORD(padding)));
  }
  std::vector<TBBUTTON> buttons;
  for (const Slot& slot : slots_) {
    TBBUTTON b{};
    if (slot.button) {
      b.idCommand = slot.button->command_;
      if (slot.button->style_ == tbsSeparator) {
        b.fsStyle = BTNS_SEP;
        b.iBitmap = Scale(8);
      } else {
        b.fsStyle = BTNS_BUTTON;
        b.iBitmap = slot.button->imageIndex_;
        b.fsState = slot.button->enabled_ ? TBSTATE_ENABLED : 0;
      }
    } else {
      // A separator as wide as the control keeps the room it stands in.
      b.fsStyle = BTNS_SEP;
      b.iBitmap = slot.control->Width();
    }
    b.iString = -1;
    buttons.push_back(b);
  }
  if (!buttons.empty())
    SendMessageA(handle_, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  PlaceControls();
}

void TToolBar::PlaceControls() {
  if (!HandleAllocated()) return;
  for (size_t i = 0; i < slots_.size(); ++i) {
    TWinControl* control = slots_[i].control;
    if (!control) continue;
    RECT r{};
    SendMessageA(handle_, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    // A drop-down list's window is as high as its open list; what shows is
    // the closed box, which is what gets centred.
    int shown = control->EffectiveFont().PixelHeight() + Scale(8);
    if (control->HandleAllocated()) {
      RECT w;
      GetWindowRect(control->Handle(), &w);
      shown = std::min<int>(w.bottom - w.top, control->Height());
    }
    const int top = std::max(0, (Height() - shown) / 2);
    control->SetPixelBounds(r.left, top, control->Width(), control->Height());
  }
}

void TToolBar::CNCommandId(WORD id, WORD) {
  for (TToolButton* b : buttons_)
    if (b->command_ == id) {
      b->Click();
      return;
    }
}

LRESULT TToolBar::CNNotify(NMHDR*) { return 0; }

LRESULT TToolBar::SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SIZE) {
    const LRESULT result = TSubclassedControl::SubclassProc(msg, wParam, lParam);
    PlaceControls();
    return result;
  }
  if (msg == WM_NOTIFY) {
    // The tips ask the toolbar for their text; the caption is the tip.
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->code == TTN_GETDISPINFOA || header->code == TTN_GETDISPINFOW) {
      for (TToolButton* b : buttons_) {
        if (UINT_PTR(b->command_) != header->idFrom) continue;
        static char ansi[128];
        static wchar_t wide[128];
        lstrcpynA(ansi, b->Caption.c_str(), sizeof ansi);
        if (header->code == TTN_GETDISPINFOA) {
          reinterpret_cast<NMTTDISPINFOA*>(header)->lpszText = ansi;
        } else {
          const int n = MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, 128);
          wide[n > 0 ? n - 1 : 0] = L'\0';
          reinterpret_cast<NMTTDISPINFOW*>(header)->lpszText = wide;
        }
        return 0;
      }
    }
  }
  return TSubclassedControl::SubclassProc(msg, wParam, lParam);
}

// --- TStatusBar -------------------------------------------------------------------

TStatusBar::TStatusBar(TComponent* AOwner) : TSubclassedControl(AOwner) {}

void TStatusBar::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.className = STATUSCLASSNAMEA;
  params.style |= CCS_NORESIZE | CCS_NOPARENTALIGN | SBARS_SIZEGRIP;
}

void TStatusBar::CreateWnd() {
  TSubclassedControl::CreateWnd();
  ApplyPanels();
}

void TStatusBar::SetPanelWidths(std::vector<int> widths) {
  panelWidths_ = std::move(widths);
  ApplyPanels();
}

LRESULT TStatusBar::SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = TSubclassedControl::SubclassProc(msg, wParam, lParam);
  if (msg == WM_SIZE) {
    ApplyPanels();
    // The bar draws only what a resize uncovers, and the window manager
    // copies the rest along: the size grip and the panel edges would stay
    // behind where they were. The whole bar is drawn again instead.
    InvalidateRect(handle_, nullptr, TRUE);
  }
  return result;
}

void TStatusBar::ApplyPanels() {
  if (!HandleAllocated()) return;
  RECT client{};
  GetClientRect(handle_, &client);
  int fixed = 0;
  for (int w : panelWidths_) fixed += w < 0 ? 0 : Scale(w);
  std::vector<int> edges;
  int right = 0;
  for (int w : panelWidths_) {
    right += w < 0 ? std::max<int>(client.right - fixed, 0) : Scale(w);
    edges.push_back(right);
  }
  // The last panel reaches the bar's end, where the size grip sits.
  if (edges.empty()) edges.push_back(-1);
  edges.back() = -1;
  SendMessageA(handle_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  for (size_t i = 0; i < texts_.size(); ++i) ShowText(i);
}

void TStatusBar::SetPanelText(int index, const std::string& text, bool path) {
  if (index < 0) return;
  if (texts_.size() <= size_t(index)) texts_.resize(size_t(index) + 1);
  texts_[size_t(index)] = {text, path};
  ShowText(size_t(index));
}

void TStatusBar::ShowText(size_t index) {
  if (!HandleAllocated()) return;
  std::string shown = texts_[index].text;
  RECT panel{};
  if (texts_[index].path && !shown.empty() && SendMessageA(handle_, SB_GETRECT, index, reinterpret_cast<LPARAM>(&panel))) {
    // Shortened as the system would draw it in the bar's font within the
    // panel's borders, drawn where nobody sees it.
    const TMemoryDc dc;
    SelectObject(dc.Handle(), reinterpret_cast<HGDIOBJ>(SendMessageA(handle_, WM_GETFONT, 0, 0)));
    InflateRect(&panel, -4, 0);
    shown.append(4, '\0');  // room for the ellipsis
    DrawTextA(dc.Handle(), shown.data(), -1, &panel, DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS | DT_MODIFYSTRING);
    shown.resize(strnlen(shown.c_str(), shown.size()));
  }
  SendMessageA(handle_, SB_SETTEXTA, WPARAM(index), reinterpret_cast<LPARAM>(shown.c_str()));
}

}  // namespace gui
