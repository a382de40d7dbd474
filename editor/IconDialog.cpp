#include "IconDialog.h"

#include <windows.h>

#include <memory>

#include "Dialogs.h"
#include "FileDialogs.h"
#include "Forms.h"
#include "ImgList.h"
#include "ListView.h"
#include "ShellApi.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "unitRecord.h"

using namespace gui;

namespace {

// The dialog's path buffer: the platform's path limit, terminator included.
constexpr int kPathChars = MAX_PATH;

// Exported by shell32 under its number only. The path is UTF-16 on the NT
// family and in the system code page on the older one; the dialog returns
// non-zero when the user pressed OK.
using PickIconDlgProc = int(WINAPI*)(HWND owner, void* path, UINT capacity, int* index);

// Where the shell has no change-icon dialog of its own (some systems only
// answer the call without showing one), this one stands in for it: the
// icons of a file to pick from, and another file to be chosen.
class TformPickIcon : public TForm {
 public:
  TformPickIcon(const std::string& fileName, int index);

  TLabel* Label1;
  TEdit* editFileName;
  TButton* bttnBrowse;
  TLabel* Label2;
  TListView* lstvIcons;
  TButton* bttnOk;
  TButton* bttnCancel;
  TImageList* ilstIcons;
  TOpenDialog* OpenDialog;

  void editFileNameChange(TObject* Sender);
  void bttnBrowseClick(TObject* Sender);

 protected:
  // The icons are taken again at the small-icon size of the new DPI.
  void DpiChanged() override {
    const int chosen = lstvIcons->ItemIndex();
    ilstIcons->SetSize(SmallIconSize(Dpi()), SmallIconSize(Dpi()));
    editFileNameChange(editFileName);
    lstvIcons->SetItemIndex(chosen);
  }
};

TButton* NewButton(TForm* form, const char* caption, int left, int top, TModalResult result) {
  auto* button = new TButton(form);
  button->SetCaption(caption);
  button->SetBounds(left, top, 76, 22);
  button->SetGrowToCaption(true);
  button->ModalResult = result;
  button->SetParent(form);
  return button;
}

TLabel* NewLabel(TForm* form, const char* caption, int top) {
  auto* label = new TLabel(form);
  label->SetCaption(caption);
  label->SetBounds(8, top, 200, 13);
  label->SetParent(form);
  return label;
}

TformPickIcon::TformPickIcon(const std::string& fileName, int index) : TForm(nullptr) {
  SetCaption("アイコンの変更");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  Position = poScreenCenter;
  Font.SetName("MS UI Gothic");
  Font.SetHeight(12);
  Font.SetCharset(SHIFTJIS_CHARSET);
  SetClientSize(336, 226);

  ilstIcons = new TImageList(this, SmallIconSize(Dpi()), SmallIconSize(Dpi()));
  OpenDialog = new TOpenDialog(this);
  OpenDialog->Title = "アイコンを含むファイルを選ぶ";
  OpenDialog->Filter = "アイコンを含むファイル（*.ico;*.exe;*.dll）|*.ico;*.exe;*.dll|全てのファイル（*.*）|*.*";
  OpenDialog->Options = ofHideReadOnly | ofPathMustExist | ofFileMustExist | ofEnableSizing;

  Label1 = NewLabel(this, "ファイル名：", 8);
  editFileName = new TEdit(this);
  editFileName->SetBounds(8, 24, 238, 20);
  editFileName->SetText(fileName);
  editFileName->OnChange = [this](TObject* s) { editFileNameChange(s); };
  editFileName->SetParent(this);
  bttnBrowse = NewButton(this, "参照(&B)...", 252, 23, mrNone);
  bttnBrowse->OnClick = [this](TObject* s) { bttnBrowseClick(s); };
  Label2 = NewLabel(this, "アイコン：", 54);
  lstvIcons = new TListView(this);
  lstvIcons->SetBounds(8, 70, 320, 118);
  lstvIcons->SetImages(ilstIcons);
  // Rows made for small pictures with a number below each, so that a file's
  // few icons fit without a scroll bar.
  lstvIcons->SetIconSpacing(3 * 16, 16 + 2 * Font.Height() + 4);
  lstvIcons->OnDblClick = [this](TObject*) { ModalResult = mrOk; };
  lstvIcons->SetParent(this);
  bttnOk = NewButton(this, "OK", 168, 196, mrOk);
  bttnOk->SetDefault(true);
  bttnCancel = NewButton(this, "キャンセル", 252, 196, mrCancel);
  OnShow = [this](TObject*) { lstvIcons->SetFocus(); };

  editFileNameChange(editFileName);
  lstvIcons->SetItemIndex(index >= 0 && index < lstvIcons->ItemCount() ? index : 0);
}

void TformPickIcon::editFileNameChange(TObject*) {
  lstvIcons->Clear();
  ilstIcons->Clear();
  const std::vector<TIcon> icons = ExtractIconsAt(editFileName->Text(), ilstIcons->Width());
  for (size_t i = 0; i < icons.size(); ++i) lstvIcons->AddItem(IntToStr(int64_t(i)), ilstIcons->AddIcon(icons[i]));
  lstvIcons->SetItemIndex(0);
}

void TformPickIcon::bttnBrowseClick(TObject*) {
  OpenDialog->FileName = editFileName->Text();
  if (OpenDialog->Execute()) editFileName->SetText(OpenDialog->FileName);
}

// The dialog's answer when the user confirmed: the file and the icon shown.
bool PickIcon(std::string& fileName, int32_t& index) {
  auto form = std::make_unique<TformPickIcon>(fileName, index);
  // A file without icons offers none to choose: OK on its empty list is no
  // choice, not the number chosen before for another file.
  if (form->ShowModal() != mrOk || form->lstvIcons->ItemIndex() < 0) return false;
  fileName = form->editFileName->Text();
  index = form->lstvIcons->ItemIndex();
  return true;
}

}  // namespace

bool TIconDialog::Execute() {
  // A longer name would not fit the buffer; cut short it would name another
  // file, so the dialog is not opened at all.
  if (FileName.size() >= size_t(kPathChars)) return false;
  char path[kPathChars] = {};
  FileName.copy(path, FileName.size());
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  const bool wide = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
  const std::string fileBefore = FileName;
  const int32_t indexBefore = IconIndex;

  const bool chosen = RunSystemDialog(*this, [&](HWND owner) {
    // The shell's dialog answers 1 for OK and 0 for Cancel. Missing, or
    // answering anything else without having shown itself, it is not there.
    int answer = -1;
    int index = IconIndex;
    std::string file;
    if (const auto pick = reinterpret_cast<PickIconDlgProc>(
            reinterpret_cast<void*>(Shell32Proc(MAKEINTRESOURCEA(62))))) {
      if (wide) {
        // Never more characters than bytes, so the name fits here as well.
        wchar_t widePath[kPathChars] = {};
        AnsiToWide(path).copy(widePath, kPathChars - 1);
        answer = pick(owner, widePath, kPathChars, &index);
        widePath[kPathChars - 1] = L'\0';
        // Converted whole (in the code page a name may take twice as many
        // bytes as characters).
        if (answer == 1 && widePath[0]) {
          file = NameInCodePage(owner, widePath);
          if (file.empty()) answer = 0;
        }
      } else {
        answer = pick(owner, path, kPathChars, &index);
        path[kPathChars - 1] = '\0';
        file = path;
      }
    }
    if (answer != 0 && answer != 1) return PickIcon(FileName, IconIndex);
    if (answer == 1) {
      FileName = file;
      IconIndex = index;
    }
    return answer == 1;
  });
  if (!chosen) return false;
  // The icon mark would end at a mark character or the comma in its name.
  if (FieldTakes(menufile::NameLineField::IconFileName, FileName, "ファイル「" + FileName + "」", "選べません。"))
    return true;
  FileName = fileBefore;
  IconIndex = indexBefore;
  return false;
}
