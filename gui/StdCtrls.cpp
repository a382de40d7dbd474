#include "StdCtrls.h"

namespace gui {

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {}

TForm* TButton::ParentForm() const {
  TWinControl* p = Parent();
  while (p && !dynamic_cast<TForm*>(p)) p = p->Parent();
  return static_cast<TForm*>(p);
}

void TButton::SetDefault(bool isDefault) {
  default_ = isDefault;
  if (HandleAllocated()) CreateWnd();
}

void TButton::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.className = "BUTTON";
  params.style |= (default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | (TabStop ? WS_TABSTOP : 0);
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

TLabel::TLabel(TComponent* AOwner) : TWinControl(AOwner) {}

void TLabel::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.className = "STATIC";
  params.style |= SS_NOPREFIX | (WordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP);
}

HBRUSH TLabel::CtlColor(HDC dc) {
  HBRUSH brush = TWinControl::CtlColor(dc);
  // The parent clips its children, so nothing of it would show through a
  // hollow brush: its own colour stands in for it.
  if (Transparent) SetBkMode(dc, TRANSPARENT);
  return brush;
}

}  // namespace gui
