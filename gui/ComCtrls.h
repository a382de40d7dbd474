// Common controls: the toolbar and the status bar. The tree view has a file
// of its own, TreeView.h.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "Controls.h"
#include "ImgList.h"

namespace gui {

class TToolBar;

// --- Toolbar --------------------------------------------------------------------

enum TToolButtonStyle { tbsButton, tbsSeparator };

// A button on a toolbar: a glyph from the toolbar's Images, a caption shown
// as its tip, and a click.
class TToolButton : public TComponent {
 public:
  explicit TToolButton(TComponent* AOwner) : TComponent(AOwner) {}
  // A button that goes first leaves its toolbar.
  ~TToolButton() override;
  void SetStyle(TToolButtonStyle style);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);
  std::string Caption;  // read when the tip shows
  TNotifyEvent OnClick;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  void Click();

 private:
  friend class TToolBar;
  bool Live() const;
  TToolBar* toolBar_ = nullptr;
  int command_ = 0;
  bool enabled_ = true;
  TToolButtonStyle style_ = tbsButton;
  int imageIndex_ = -1;
};

// A flat strip of glyph buttons and separators; other controls can stand in
// it in line with the buttons.
class TToolBar : public TSubclassedControl {
 public:
  explicit TToolBar(TComponent* AOwner);
  // Buttons that outlive the toolbar no longer belong to one.
  ~TToolBar() override;
  TImageList* Images() const { return images_.List(); }
  void SetImages(TImageList* images);

  // The next slot: a button (or separator), or a control placed in line.
  void AddButton(TToolButton* button);
  void AddControl(TWinControl* control);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void CNCommandId(WORD id, WORD code) override;
  LRESULT CNNotify(NMHDR* header) override;
  LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // The controls in line stand where the buttons leave room for them: they
  // are placed whenever the buttons are laid out, not by units.
  void AlignControls() override {}
  bool PlacesControls() const override { return true; }
  void DpiChanged() override { Rebuild(); }

 private:
  friend class TToolButton;
  struct Slot {
    TToolButton* button;
    TWinControl* control;
  };
  void AddSlot(const Slot& slot);
  void RemoveButton(TToolButton* button);
  void Rebuild();
  void BuildButtons();
  void ApplyImages();
  void PlaceControls();
  std::vector<Slot> slots_;
  std::vector<TToolButton*> buttons_;
  int nextCommand_ = 1;
  TChangeLink images_{[this] { ApplyImages(); }};
};

// --- Status bar -------------------------------------------------------------------

class TStatusBar : public TSubclassedControl {
 public:
  explicit TStatusBar(TComponent* AOwner);
  // Widths of the panels (96-dpi units), left to right. One of them may be
  // -1: it takes what the others leave of the bar, as the bar's width changes.
  void SetPanelWidths(std::vector<int> widths);
  // A path that does not fit its panel shows shortened in the middle
  // (C:\...\menu.txt), so that its file name stays in sight.
  void SetPanelText(int index, const std::string& text, bool path = false);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DpiChanged() override { ApplyPanels(); }
  LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void ApplyPanels();
  void ShowText(size_t index);
  std::vector<int> panelWidths_;
  struct Text {
    std::string text;
    bool path = false;
  };
  std::vector<Text> texts_;
};

}  // namespace gui
