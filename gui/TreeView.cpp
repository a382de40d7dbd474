// The tree control itself: its properties, the selection's events, in-place
// editing, and drag and drop within the tree.
#include "TreeView.h"

#include <algorithm>
#include <utility>

#include "Forms.h"
#include "Menus.h"
#include "SysUtils.h"

namespace gui {

namespace {

// Posted to the control itself: a new name was refused (refusal_).
constexpr UINT kRefusedName = WM_APP + 0x110;

}  // namespace

// --- TTreeView -------------------------------------------------------------------

TTreeView::TTreeView(TComponent* AOwner) : TSubclassedControl(AOwner), items_(this) {
  SetColor(clWindow);
}

TTreeView::~TTreeView() {
  // The nodes go without being reported (whoever wanted to hear of them is
  // being destroyed as well, as a rule); their objects go with them.
  OnDeletion = nullptr;
  OnChanging = nullptr;
  OnChange = nullptr;
  DestroyHandle();
}

void TTreeView::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.className = WC_TREEVIEWA;
  params.style |= WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | TVS_HASBUTTONS | TVS_HASLINES |
                  TVS_LINESATROOT | TVS_SHOWSELALWAYS;
  if (!readOnly_) params.style |= TVS_EDITLABELS;
  if (dragMode_ != dmAutomatic) params.style |= TVS_DISABLEDRAGDROP;
  params.exStyle |= WS_EX_CLIENTEDGE;
}

void TTreeView::CreateWnd() {
  TSubclassedControl::CreateWnd();
  SendMessageA(handle_, TVM_SETINDENT, WPARAM(Scale(indent_)), 0);
  ApplyImages();
  items_.BeginUpdate();
  items_.deferred_ = true;
  items_.EndUpdate();
}

void TTreeView::DestroyWnd() {
  DropDrag();
  // The control's items go with the window; the nodes stay, to be shown
  // again by the next one.
  items_.ForgetItems();
  background_ = CLR_NONE;
}

void TTreeView::DropDrag() {
  if (!dragging_) return;
  dragging_ = false;
  dropTarget_ = nullptr;
  if (GetCapture() == handle_) ReleaseCapture();
}

TTreeNode* TTreeView::Related(UINT relation, HTREEITEM from) const {
  if (!handle_) return nullptr;
  return items_.FromItem(
      reinterpret_cast<HTREEITEM>(SendMessageA(handle_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from))));
}

HTREEITEM TTreeView::HitItem(int x, int y, UINT* flags) {
  items_.Flush();
  TVHITTESTINFO hit{};
  hit.pt = POINT{x, y};
  if (handle_) SendMessageA(handle_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  else hit.flags = TVHT_NOWHERE;
  if (flags) *flags = hit.flags;
  return hit.hItem;
}

void TTreeView::ReportChange(TTreeNode* node) {
  // Not every way of moving the selection announces it first (a control
  // that moves it off a deleted item may only say that it moved): the coming
  // change is reported all the same, before the change.
  if (!std::exchange(changingReported_, false) && OnChanging) {
    bool allow = true;
    OnChanging(this, node, allow);
  }
  ++changeReports_;
  if (OnChange) OnChange(this, node);
}

void TTreeView::ReportSilentChange(TTreeNode* before, int reportsBefore) {
  // Some controls drop the selection with its item and say nothing at all.
  if (changeReports_ == reportsBefore && Selected() != before) ReportChange(Selected());
}

void TTreeView::SetImages(TImageList* images) {
  images_.SetList(images);
}

void TTreeView::ApplyImages() {
  if (handle_)
    SendMessageA(handle_, TVM_SETIMAGELIST, TVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(images_.Handle()));
}

void TTreeView::SetIndent(int units) {
  indent_ = units;
  if (handle_) SendMessageA(handle_, TVM_SETINDENT, WPARAM(Scale(indent_)), 0);
}

void TTreeView::DpiChanged() { SetIndent(indent_); }

void TTreeView::SetReadOnly(bool readOnly) {
  ChangeStyle([&] { readOnly_ = readOnly; });
}

void TTreeView::SetDragMode(TDragMode mode) {
  ChangeStyle([&] { dragMode_ = mode; });
}

TTreeNode* TTreeView::Selected() const { return Related(TVGN_CARET); }

void TTreeView::SetSelected(TTreeNode* node) {
  items_.Flush();
  if (!handle_) return;
  SendMessageA(handle_, TVM_SELECTITEM, TVGN_CARET,
               reinterpret_cast<LPARAM>(node ? node->item_ : nullptr));
}

void TTreeView::SetDropTarget(TTreeNode* node) {
  items_.Flush();
  dropTarget_ = node;
  if (handle_)
    SendMessageA(handle_, TVM_SELECTITEM, TVGN_DROPHILITE,
                 reinterpret_cast<LPARAM>(node ? node->item_ : nullptr));
}

TTreeNode* TTreeView::TopItem() {
  items_.Flush();
  return Related(TVGN_FIRSTVISIBLE);
}

void TTreeView::SetTopItem(TTreeNode* node) {
  items_.Flush();
  if (!handle_ || !node || !node->item_) return;
  SendMessageA(handle_, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(node->item_));
  // Some controls will not make the very first row the top one this way;
  // scrolling line by line gets there, or as far as the control can go.
  TTreeNode* top = TopItem();
  if (top == node || !top) return;
  const bool up = node->AbsoluteIndex() < top->AbsoluteIndex();
  for (int guard = 0; guard < items_.Count(); ++guard) {
    SendMessageA(handle_, WM_VSCROLL, up ? SB_LINEUP : SB_LINEDOWN, 0);
    TTreeNode* now = TopItem();
    if (now == node || now == top) return;
    if (up != (node->AbsoluteIndex() < now->AbsoluteIndex())) return;
    top = now;
  }
}

TTreeNode* TTreeView::GetNodeAt(int x, int y) { return items_.FromItem(HitItem(x, y, nullptr)); }

THitTests TTreeView::GetHitTestInfoAt(int x, int y) {
  UINT f = 0;
  HitItem(x, y, &f);
  THitTests result = 0;
  if (f & TVHT_ABOVE) result |= htAbove;
  if (f & TVHT_BELOW) result |= htBelow;
  if (f & TVHT_NOWHERE) result |= htNowhere;
  if (f & TVHT_ONITEM) result |= htOnItem;
  if (f & TVHT_ONITEMBUTTON) result |= htOnButton;
  if (f & TVHT_ONITEMICON) result |= htOnIcon;
  if (f & TVHT_ONITEMINDENT) result |= htOnIndent;
  if (f & TVHT_ONITEMLABEL) result |= htOnLabel;
  if (f & TVHT_ONITEMRIGHT) result |= htOnRight;
  if (f & TVHT_ONITEMSTATEICON) result |= htOnStateIcon;
  if (f & TVHT_TOLEFT) result |= htToLeft;
  if (f & TVHT_TORIGHT) result |= htToRight;
  return result;
}

bool TTreeView::IsEditing() const {
  return handle_ && SendMessageA(handle_, TVM_GETEDITCONTROL, 0, 0) != 0;
}

void TTreeView::EndEditing() {
  if (handle_) SendMessageA(handle_, TVM_ENDEDITLABELNOW, FALSE, 0);
}

void TTreeView::BeginDrag() {
  if (dragging_) return;
  dragging_ = true;
  dragInside_ = false;
  dragAccepted_ = false;
  SetCapture(Handle());
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(handle_, &p);
  DragMove(p.x, p.y);
}

void TTreeView::DragTo(int x, int y) {
  if (dragging_) DragMove(x, y);
}

void TTreeView::DragMove(int x, int y) {
  dragX_ = x;
  dragY_ = y;
  RECT client;
  GetClientRect(handle_, &client);
  const bool inside = PtInRect(&client, POINT{x, y}) != 0;
  bool accept = false;
  if (inside) {
    const TDragState state = dragInside_ ? dsDragMove : dsDragEnter;
    dragInside_ = true;
    TTreeNode* under = GetNodeAt(x, y);
    if (under != dropTarget_) SetDropTarget(under);
    if (OnDragOver) OnDragOver(this, this, x, y, state, accept);
  } else if (dragInside_) {
    dragInside_ = false;
    SetDropTarget(nullptr);
    if (OnDragOver) OnDragOver(this, this, x, y, dsDragLeave, accept);
    accept = false;
  }
  dragAccepted_ = accept;
  SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(accept ? IDC_ARROW : IDC_NO)));
}

void TTreeView::EndDrag(bool drop) {
  if (!dragging_) return;
  dragging_ = false;
  if (GetCapture() == handle_) ReleaseCapture();
  const bool dropped = drop && dragInside_ && dragAccepted_;
  dragInside_ = false;
  dragAccepted_ = false;
  const int x = dragX_, y = dragY_;
  TFirstFailure failure;
  if (dropped && OnDragDrop) failure.Run([&] { OnDragDrop(this, this, x, y); });
  SetDropTarget(nullptr);
  if (OnEndDrag) OnEndDrag(this, dropped ? this : nullptr, x, y);
  failure.Rethrow();
}

LRESULT TTreeView::CNNotify(NMHDR* header) {
  switch (header->code) {
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGINGW: {
      if (quietSelection_) return 0;
      auto* nm = reinterpret_cast<NMTREEVIEWA*>(header);
      bool allow = true;
      if (OnChanging) OnChanging(this, items_.FromItem(nm->itemNew.hItem), allow);
      changingReported_ = allow;
      return allow ? 0 : 1;
    }
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW: {
      if (quietSelection_) return 0;
      auto* nm = reinterpret_cast<NMTREEVIEWA*>(header);
      ReportChange(items_.FromItem(nm->itemNew.hItem));
      return 0;
    }
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW: {
      auto* nm = reinterpret_cast<NMTVDISPINFOA*>(header);
      TTreeNode* node = items_.FromItem(nm->item.hItem);
      bool allow = !readOnly_ && node;
      if (allow && OnEditing) OnEditing(this, node, allow);
      return allow ? 0 : 1;
    }
    case TVN_ENDLABELEDITA: {
      auto* nm = reinterpret_cast<NMTVDISPINFOA*>(header);
      TTreeNode* node = items_.FromItem(nm->item.hItem);
      // A null text means the edit was cancelled.
      if (!node || !nm->item.pszText) return 0;
      std::string text = nm->item.pszText;
      // The notice carries the text in the code page, with a "?" for each
      // character it lacks; the field, still there, has the text as typed.
      if (HWND field = reinterpret_cast<HWND>(SendMessageA(handle_, TVM_GETEDITCONTROL, 0, 0))) {
        std::wstring typed(size_t(GetWindowTextLengthW(field)) + 1, L'\0');
        typed.resize(size_t(std::max(GetWindowTextW(field, typed.data(), int(typed.size())), 0)));
        std::string reason;
        if (!WideToAnsiExact(typed, text)) reason = "この環境の文字（シフト JIS）で表せない文字は使えません。";
        else if (typed.find_first_of(AnsiToWide(RefusedChars)) != std::wstring::npos)
          reason = "次の記号は使えません：" + ListedChars(RefusedChars);
        if (!reason.empty()) {
          if (!refusal_) PostMessageA(handle_, kRefusedName, 0, 0);
          refusal_ = "「" + node->Text() + "」の新しい名前には、" + reason;
          return 0;
        }
      }
      // Nothing but blanks is no new name: the old one stays, as Explorer
      // keeps a file's.
      if (text.find_first_not_of(" \t") == std::string::npos) return 0;
      if (OnEdited) OnEdited(this, node, text);
      node->SetText(text);
      return 0;
    }
    case TVN_BEGINDRAGA:
    case TVN_BEGINDRAGW:
    case TVN_BEGINRDRAGA:
    case TVN_BEGINRDRAGW: {
      if (dragMode_ != dmAutomatic || dragging_) return 0;
      auto* nm = reinterpret_cast<NMTREEVIEWA*>(header);
      // What is dragged is what is selected.
      if (TTreeNode* node = items_.FromItem(nm->itemNew.hItem)) SetSelected(node);
      BeginDrag();
      return 0;
    }
    case NM_RCLICK: {
      // The control swallows the button's release in its own loop; where the
      // button went down is where it came up.
      const POINT p = rightClick_;
      if (OnMouseUp) {
        unsigned shift = 0;
        if (GetKeyState(VK_SHIFT) < 0) shift |= 1;
        if (GetKeyState(VK_CONTROL) < 0) shift |= 2;
        OnMouseUp(this, mbRight, shift, p.x, p.y);
      }
      if (!PopupMenu || !PopupMenu->AutoPopup) return 0;
      // Not every control follows the click with a context-menu message, so
      // the menu opens here, once.
      POINT screen = p;
      ClientToScreen(handle_, &screen);
      contextShown_ = true;
      PopupMenu->Popup(screen.x, screen.y);
      return 1;
    }
    default:
      return 0;
  }
}

LRESULT TTreeView::SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case kRefusedName:
      Application->MessageBox(std::exchange(refusal_, std::nullopt).value_or(""), "警告", MB_ICONSTOP | MB_OK);
      return 0;
    case WM_PAINT: {
      // The colour is read when painting, as every control reads it.
      const COLORREF color = ColorToRGB(EffectiveColor());
      if (color != background_) {
        background_ = color;
        SendMessageA(handle_, TVM_SETBKCOLOR, 0, LPARAM(color));
      }
      break;
    }
    case WM_MOUSEMOVE:
      if (dragging_) {
        DragMove(short(LOWORD(lParam)), short(HIWORD(lParam)));
        return 0;
      }
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      if (dragging_) {
        DragMove(short(LOWORD(lParam)), short(HIWORD(lParam)));
        EndDrag(true);
        return 0;
      }
      break;
    case WM_KEYDOWN:
      if (dragging_ && wParam == VK_ESCAPE) {
        EndDrag(false);
        return 0;
      }
      break;
    case WM_CAPTURECHANGED:
      if (dragging_ && reinterpret_cast<HWND>(lParam) != handle_) EndDrag(false);
      break;
    case WM_CANCELMODE:
      EndDrag(false);
      break;
    case WM_SETCURSOR:
      if (dragging_) return TRUE;
      break;
    case WM_RBUTTONDOWN:
      rightClick_ = POINT{short(LOWORD(lParam)), short(HIWORD(lParam))};
      contextShown_ = false;
      break;
    case WM_CONTEXTMENU:
      if (contextShown_ && lParam != -1) {
        contextShown_ = false;
        return 0;
      }
      if (PopupMenu && PopupMenu->AutoPopup) {
        int x = short(LOWORD(lParam)), y = short(HIWORD(lParam));
        if (lParam == -1) {
          // From the keyboard: below the selected row, or the corner.
          POINT p{4, 4};
          if (TTreeNode* node = Selected()) {
            const RECT r = node->DisplayRect(true);
            p = POINT{r.left, r.bottom};
          }
          ClientToScreen(handle_, &p);
          x = p.x;
          y = p.y;
        }
        PopupMenu->Popup(x, y);
        return 0;
      }
      break;
    default:
      break;
  }
  return TSubclassedControl::SubclassProc(msg, wParam, lParam);
}

}  // namespace gui
