// Push buttons and labels.
#pragma once

#include "Controls.h"
#include "Forms.h"

#include <string>
#include <vector>

namespace gui {

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* AOwner);
  // Enter presses the default button of its form.
  void SetDefault(bool isDefault);
  // A click sets this result on the form (closing it when it is modal).
  TModalResult ModalResult = mrNone;
  // When the caption does not fit in the button's font, the button grows
  // just enough for it, away from the edge it is anchored to. Off by
  // default: the button keeps the size it is given.
  using TWinControl::SetGrowToCaption;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void CNCommand(WORD code) override;
  SIZE CaptionExtent(int width) override;

 private:
  TForm* ParentForm() const;
  bool default_ = false;
};

class TLabel : public TWinControl {
 public:
  explicit TLabel(TComponent* AOwner);
  // The text is set straight on the parent's colour (read when painting);
  // a live label repaints at once.
  void SetTransparent(bool transparent);
  void SetWordWrap(bool wordWrap);
  // When the caption does not fit in the label's font, the label grows just
  // enough for it: wider, or for a label that wraps, taller. Off by default.
  using TWinControl::SetGrowToCaption;

 protected:
  void CreateParams(TCreateParams& params) override;
  HBRUSH CtlColor(HDC dc) override;
  SIZE CaptionExtent(int width) override;

 private:
  bool wordWrap_ = false;
  bool transparent_ = false;
};

// A one-line text field. OnChange follows every change of its text, typed or
// set; OnExit runs when the focus leaves it. The field holds UTF-16 text, so
// that a typed or pasted character the code page lacks arrives as it is
// instead of as a "?": such a change is taken back at once and refused with
// a message naming the field, and OnChange never hears of it; so is a change
// that brings in one of RefusedChars. Text is therefore always the user's
// own text in the code page.
class TEdit : public TWinControl {
 public:
  explicit TEdit(TComponent* AOwner);
  std::string Text();
  // The program's own text is taken as it is, RefusedChars or not.
  void SetText(const std::string& text);
  void SetReadOnly(bool readOnly);
  // How the refusal names the field ("オプション"); without a name it says
  // "この欄".
  std::string FieldName;
  // ASCII characters the user may not type or paste in, where they would
  // mean something else. Compared with the text as typed, so the second
  // byte of a double-byte character never counts as one.
  std::string RefusedChars;
  TNotifyEvent OnChange;
  TNotifyEvent OnExit;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void CNCommand(WORD code) override;

 private:
  std::wstring WideText() const;
  void Refuse(const std::wstring& typed, const std::string& reason);
  bool readOnly_ = false;
  // The last text of the field that the code page holds; whether the field
  // is being given it back; whether the program is setting its text.
  std::string accepted_;
  bool restoring_ = false;
  bool settingText_ = false;
};

// A fixed drop-down list: the user picks one of Items. Its Height is that of
// the open list; the closed box takes the height its font needs.
class TComboBox : public TWinControl {
 public:
  explicit TComboBox(TComponent* AOwner);
  void AddItem(const std::string& text);
  int ItemCount() const { return int(items_.size()); }
  const std::string& Items(int index) const;
  // -1 when nothing is chosen.
  int ItemIndex() const;
  void SetItemIndex(int index);
  TNotifyEvent OnChange;
  // The width (pixels at its DPI) the closed box needs to show the longest
  // of its choices whole, its button and edges included.
  int ChoicesWidth() const;
  // When a choice would not fit, the box grows just wide enough for it.
  // Off by default.
  using TWinControl::SetGrowToCaption;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void CNCommand(WORD code) override;
  SIZE CaptionExtent(int) override { return SIZE{ChoicesWidth(), 0}; }

 private:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
};

}  // namespace gui
