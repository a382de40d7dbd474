// Push buttons and labels.
#pragma once

#include "Controls.h"
#include "Forms.h"

namespace gui {

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* AOwner);
  // Enter presses the default button of its form.
  void SetDefault(bool isDefault);
  // A click sets this result on the form (closing it when it is modal).
  TModalResult ModalResult = mrNone;
  bool TabStop = true;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void CNCommand(WORD code) override;

 private:
  TForm* ParentForm() const;
  bool default_ = false;
};

class TLabel : public TWinControl {
 public:
  explicit TLabel(TComponent* AOwner);
  // The text is set straight on the parent's colour.
  bool Transparent = false;
  bool WordWrap = false;

 protected:
  void CreateParams(TCreateParams& params) override;
  HBRUSH CtlColor(HDC dc) override;
};

}  // namespace gui
