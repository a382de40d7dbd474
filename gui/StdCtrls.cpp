#include "StdCtrls.h"

#include <algorithm>

#include "SysUtils.h"

namespace gui {

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {}

TForm* TButton::ParentForm() const {
  TWinControl* p = Parent();
  while (p && !dynamic_cast<TForm*>(p)) p = p->Parent();
  return static_cast<TForm*>(p);
}

void TButton::SetDefault(bool isDefault) {
  ChangeStyle([&] { default_ = isDefault; });
  if (!HandleAllocated()) return;
  // The button draws its default frame by message, not by its style bits.
  SendMessageA(handle_, BM_SETSTYLE, default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  TForm* form = ParentForm();
  if (!form) return;
  if (default_) form->SetDefaultButtonId(ControlId());
  else if (form->DefaultButtonId() == ControlId()) form->SetDefaultButtonId(0);
}

void TButton::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.className = "BUTTON";
  params.style |= (default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
}

void TButton::CreateWnd() {
  if (TForm* form = ParentForm(); form && default_) form->SetDefaultButtonId(ControlId());
}

void TButton::CNCommand(WORD code) {
  if (code != BN_CLICKED) return;
  if (ModalResult != mrNone)
    if (TForm* form = ParentForm()) form->ModalResult = ModalResult;
  if (OnClick) OnClick(this);
}

SIZE TButton::CaptionExtent(int) {
  // The text, the button's edges and the air the system leaves inside them.
  const SIZE text = TextExtent(Caption(), DT_SINGLELINE);
  return SIZE{text.cx + Scale(10), text.cy + Scale(6)};
}

TLabel::TLabel(TComponent* AOwner) : TWinControl(AOwner) {}

SIZE TLabel::CaptionExtent(int width) {
  if (!wordWrap_) return TextExtent(Caption(), DT_SINGLELINE);
  // A label that wraps keeps its width and takes the lines it needs.
  return SIZE{0, TextExtent(Caption(), DT_WORDBREAK, width).cy};
}

void TLabel::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.className = "STATIC";
  params.style |= SS_NOPREFIX | (wordWrap_ ? SS_LEFT : SS_LEFTNOWORDWRAP);
}

void TLabel::SetWordWrap(bool wordWrap) {
  ChangeStyle([&] { wordWrap_ = wordWrap; });
  SetGrowToCaption(GrowsToCaption());
}

HBRUSH TLabel::CtlColor(HDC dc) {
  HBRUSH brush = TWinControl::CtlColor(dc);
  // The parent clips its children, so nothing of it would show through a
  // hollow brush: its own colour stands in for it.
  if (transparent_) SetBkMode(dc, TRANSPARENT);
  return brush;
}

void TLabel::SetTransparent(bool transparent) {
  transparent_ = transparent;
  Invalidate();
}

// --- TEdit ---------------------------------------------------------------------

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner) {
  SetColor(clWindow);
}

void TEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.className = "EDIT";
  params.style |= WS_TABSTOP | ES_AUTOHSCROLL | (readOnly_ ? ES_READONLY : 0);
  params.exStyle |= WS_EX_CLIENTEDGE;
  params.unicode = true;
}

void TEdit::CreateWnd() { accepted_ = Caption(); }

void TEdit::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  // An edit field takes this by message; its style follows by itself.
  if (HandleAllocated()) SendMessageA(handle_, EM_SETREADONLY, readOnly, 0);
}

std::wstring TEdit::WideText() const {
  std::wstring text(size_t(GetWindowTextLengthW(handle_)) + 1, L'\0');
  text.resize(size_t(std::max(GetWindowTextW(handle_, text.data(), int(text.size())), 0)));
  return text;
}

std::string TEdit::Text() {
  if (!HandleAllocated()) return Caption();
  const std::wstring shown = WideText();
  // The program's own text comes back in its own codes: the code page reads
  // some characters from two codes (NEC's and IBM's) and writes each back
  // as one, and half a character as a whole one.
  if (shown == AnsiToWide(Caption())) return Caption();
  std::string text;
  // A field never keeps a text the code page lacks; should one be there for
  // a moment, the text it had before stands.
  return WideToAnsiExact(shown, text) ? text : accepted_;
}

void TEdit::SetText(const std::string& text) {
  settingText_ = true;
  SetCaption(text);
  settingText_ = false;
}

void TEdit::Refuse(const std::wstring& typed, const std::string& reason) {
  const std::wstring kept = AnsiToWide(accepted_);
  // The caret goes back where the refused characters came in.
  size_t at = 0;
  while (at < kept.size() && at < typed.size() && kept[at] == typed[at]) ++at;
  restoring_ = true;
  SetWindowTextW(handle_, kept.c_str());
  restoring_ = false;
  SendMessageW(handle_, EM_SETSEL, at, at);
  Application->MessageBox((FieldName.empty() ? std::string("この欄") : "「" + FieldName + "」") + "には、" + reason,
                          "警告", MB_ICONSTOP | MB_OK);
}

void TEdit::CNCommand(WORD code) {
  if (code == EN_CHANGE && !restoring_) {
    const std::wstring typed = WideText();
    std::string text;
    if (!WideToAnsiExact(typed, text))
      return Refuse(typed, "この環境の文字（シフト JIS）で表せない文字は入力できません。");
    // Brought in, not merely there: a text the program set may hold one,
    // and the user can still edit around it.
    const std::wstring kept = AnsiToWide(accepted_);
    const auto broughtIn = [&](char c) {
      return std::count(typed.begin(), typed.end(), wchar_t(c)) > std::count(kept.begin(), kept.end(), wchar_t(c));
    };
    if (!settingText_ && std::any_of(RefusedChars.begin(), RefusedChars.end(), broughtIn))
      return Refuse(typed, "次の記号は使えません：" + ListedChars(RefusedChars));
    accepted_ = std::move(text);
    if (OnChange) OnChange(this);
  }
  if (code == EN_KILLFOCUS && OnExit) OnExit(this);
}

// --- TComboBox ------------------------------------------------------------------

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner) {
  SetColor(clWindow);
}

void TComboBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.className = "COMBOBOX";
  params.style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
}

void TComboBox::CreateWnd() {
  for (const std::string& item : items_)
    SendMessageA(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  SendMessageA(handle_, CB_SETCURSEL, WPARAM(itemIndex_), 0);
}

void TComboBox::AddItem(const std::string& text) {
  items_.push_back(text);
  if (HandleAllocated()) SendMessageA(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

const std::string& TComboBox::Items(int index) const {
  if (index < 0 || index >= ItemCount())
    throw EListError("リスト インデックスが範囲を超えています (" + std::to_string(index) + ")");
  return items_[size_t(index)];
}

int TComboBox::ItemIndex() const {
  if (!HandleAllocated()) return itemIndex_;
  return int(SendMessageA(handle_, CB_GETCURSEL, 0, 0));
}

void TComboBox::SetItemIndex(int index) {
  itemIndex_ = (index >= 0 && index < ItemCount()) ? index : -1;
  if (HandleAllocated()) SendMessageA(handle_, CB_SETCURSEL, WPARAM(itemIndex_), 0);
}

int TComboBox::ChoicesWidth() const {
  int text = 0;
  for (const std::string& item : items_) text = std::max<int>(text, TextExtent(item, DT_SINGLELINE).cx);
  // The button, the sunken edges on both sides, and the air the box leaves
  // around the chosen text's highlight.
  return text + SystemMetricForDpi(SM_CXVSCROLL, Dpi()) + 2 * SystemMetricForDpi(SM_CXEDGE, Dpi()) + Scale(6);
}

void TComboBox::CNCommand(WORD code) {
  if (code == CBN_SELCHANGE) {
    itemIndex_ = ItemIndex();
    if (OnChange) OnChange(this);
  }
}

}  // namespace gui
