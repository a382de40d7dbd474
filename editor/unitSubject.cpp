#include "unitSubject.h"

#include <shlobj.h>

#include <cstdio>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>

#include "Forms.h"
#include "ImgList.h"
#include "ShellApi.h"
#include "SysUtils.h"
#include "Text.h"
#include "unitRecord.h"

using namespace gui;
using menufile::EntryKind;

// Found by the system in the editor's own folder, since both programs are
// installed side by side.
const char kLauncherFile[] = "Ostrevan.exe";

const TIcon& TPictureTaker::FileIcon(const std::string& file, int index) {
  auto key = std::make_pair(file, index);
  auto it = files_.find(key);
  if (it == files_.end()) it = files_.emplace(std::move(key), ExtractIconAt(file, index, size_)).first;
  return it->second;
}

const TIcon& TPictureTaker::ShellIcon(const std::string& name) {
  auto it = shell_.find(name);
  // The shell is asked only about what is there: a menu of missing
  // programs does not load it.
  if (it == shell_.end())
    it = shell_.emplace(name, names_.IsThere(name) ? ShellFileIcon(AnsiToWide(name), size_) : TIcon()).first;
  return it->second;
}

const TIcon& TPictureTaker::Take(const TNodePicture& written) {
  // A menu writes the same few pictures over and over: each is found once.
  const auto key = std::tie(written.Location, written.File, written.Index, written.FileIsTarget, written.Fallback);
  if (const auto known = written_.find(key); known != written_.end()) return *known->second;
  const TIcon& icon = Find(written);
  written_.emplace(key, &icon);
  return icon;
}

const TIcon& TPictureTaker::Find(const TNodePicture& written) {
  const TNodePicture picture = names_.Resolved(written);
  if (!picture.Location.empty())
    if (const TIcon& icon = ShellIcon(picture.Location); !icon.Empty()) return icon;
  if (!picture.File.empty()) {
    if (const TIcon& icon = FileIcon(picture.File, picture.Index); !icon.Empty()) return icon;
    if (picture.FileIsTarget && !menufile::IsProgramName(picture.File))
      if (const TIcon& icon = ShellIcon(picture.File); !icon.Empty()) return icon;
  }
  return picture.Fallback == kNoIcon ? none_ : FileIcon(kLauncherFile, picture.Fallback);
}

TIcon TakePicture(const TNodePicture& picture, int size, const menufile::MenuNames& names) {
  TPictureTaker taker(size, names);
  const TIcon& icon = taker.Take(picture);
  return icon.Empty() ? TIcon() : TIcon(CopyIcon(icon.Handle()));
}

TNodePicture RecordPicture(const TRecord& r) { return menufile::IconOf(r, menufile::IconColumn::Editor); }

namespace {

// Each distinct picture of a load goes into the list once, and every node
// that shows it names that image.
class ImageSlots {
 public:
  explicit ImageSlots(TImageList* list) : list_(list) {}
  int Add(const TIcon& icon) {
    if (!list_ || icon.Empty()) return -1;
    auto [it, added] = first_.try_emplace(&icon, -1);
    if (added) {
      try {
        it->second = list_->AddIcon(icon);
      } catch (...) {
        first_.erase(it);
        throw;
      }
    }
    return it->second;
  }

 private:
  TImageList* list_;
  std::map<const TIcon*, int> first_;  // icons of the load's taker, by address
};

// Ends the tree's update however the load ends; a failure to end it is
// reported only when nothing else failed first.
class UpdateGuard {
 public:
  explicit UpdateGuard(TTreeNodes* nodes) : nodes_(nodes) { nodes_->BeginUpdate(); }
  ~UpdateGuard() {
    if (!open_) return;
    try {
      nodes_->EndUpdate();
    } catch (...) {
      // Already failing: the first failure is the one reported.
    }
  }
  void End() {
    open_ = false;
    nodes_->EndUpdate();
  }

 private:
  TTreeNodes* nodes_;
  bool open_ = true;
};

}  // namespace

std::optional<TFileIdentity> FileIdentity(const std::string& path) {
  // No access asked for: the file's identity is known also while another
  // program holds it, and for a file the user may not read.
  const base::KernelHandle file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !GetFileInformationByHandle(file.Handle(), &info)) return std::nullopt;
  return TFileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

void TSubject::LoadTree(TTreeView& tree) {
  Modified = false;
  // Until the last entry is in, the tree holds less than the file.
  UnreadFile = FileIdentity(FileName);
  TStringList lines;
  lines.LoadFromFile(FileName);
  const int count = lines.Count();
  // An empty file is a menu without entries, the start of a new one.
  if (count == 0) {
    UnreadFile.reset();
    return;
  }
  if (count % 2 != 0) {
    Application->MessageBox("メニューファイルの行数がおかしいです。", "警告", MB_ICONSTOP | MB_OK);
    Application->Terminate();
    return;
  }

  TTreeNodes* nodes = tree.Items();
  UpdateGuard update(nodes);
  const menufile::RememberingFileSystem files;
  const menufile::MenuNames names = Names(files);
  TPictureTaker pictures(tree.Images() ? tree.Images()->Width() : SmallIconSize(SystemDpi()), names);
  ImageSlots images(tree.Images());
  std::vector<TTreeNode*> made;
  // Menus name a few programs many times over.
  std::unordered_map<std::string, std::string> keptTargets;
  menufile::MenuReader reader(lines.Lines(), menufile::LevelRule::Editor);
  for (menufile::MenuEntry entry; reader.Next(entry);) {
    // Everything that can fail for this entry has happened before its node
    // exists, so a bad line leaves no half-made node and no stray record.
    auto record = std::make_unique<TRecord>();
    const int parent = entry.Parent;
    static_cast<menufile::Entry&>(*record) = std::move(entry);
    // A submenu's window size means nothing; a program found only on PATH
    // is held with the path where it was found.
    if (record->Kind == EntryKind::Submenu) record->WindowState = menufile::wsNormal;
    if (record->Kind == EntryKind::Item) {
      auto [kept, fresh] = keptTargets.try_emplace(record->ExeName);
      if (fresh) kept->second = names.KeptTarget(record->ExeName);
      record->ExeName = kept->second;
    }
    if (record->Kind == EntryKind::Separator) record->ItemName = kSeparatorCaption;
    const int image = images.Add(pictures.Take(RecordPicture(*record)));

    const std::string caption = record->ItemName;
    TTreeNode* node = nodes->AddChildObject(parent < 0 ? nullptr : made[size_t(parent)], caption, std::move(record));
    node->SetImageIndex(image);
    node->SetSelectedIndex(image);
    made.push_back(node);
  }
  update.End();
  UnreadFile.reset();
}

void TSubject::SaveTree(TTreeView& tree) {
  if (UnreadFile && FileIdentity(FileName) == UnreadFile)
    throw Exception("「" + FileName +
                    "」は最後まで読めなかったので、上書きしません。\r\n上書きするには、「別名で保存」でこのファイルを選んでください。");
  TTreeNodes* nodes = tree.Items();
  TStringList lines;
  for (int i = 0; i < nodes->Count(); ++i) {
    TTreeNode* node = nodes->GetNodeFromIndex(i);
    const TRecord* record = RecordOf(node);
    // Writing the file without this entry would shift every later one.
    if (!record) throw Exception("項目「" + node->Text() + "」に情報がありません。");
    auto pair = menufile::FormatEntryLines(node->Level(), *record);
    lines.Add(std::move(pair.first));
    lines.Add(std::move(pair.second));
  }
  lines.SaveToFile(FileName);
  Modified = false;
}

// --- shortcut files -----------------------------------------------------------------

namespace {

// The shell's objects, each released by its one owner; and the component
// library, ready on this thread for as long as one of these lives.
template <class Interface>
struct ComTraits {
  using Handle = Interface*;
  static void Close(Interface* object) { object->Release(); }
};
template <class Interface>
using ComRef = base::UniqueHandle<ComTraits<Interface>>;

class ComLibrary {
 public:
  ComLibrary() : result_(CoInitialize(nullptr)) {}
  ~ComLibrary() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComLibrary(const ComLibrary&) = delete;
  ComLibrary& operator=(const ComLibrary&) = delete;

 private:
  HRESULT result_;
};

// A new shell link with its file interface; empty ones when the shell has none.
template <class Link>
struct LinkObject {
  ComRef<Link> link;
  ComRef<IPersistFile> file;
  HRESULT result;
};

// What a failed call of the shell's objects means: the system's text for
// it, the wrapped system error's for one that carries such an error, else
// its number.
std::string ResultText(HRESULT result) {
  const DWORD code = HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : DWORD(result);
  char* text = nullptr;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = n && text ? std::string(text, n) : std::string();
  if (text) LocalFree(text);
  while (!message.empty() && static_cast<unsigned char>(message.back()) <= ' ') message.pop_back();
  char number[32];
  snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(result));
  return message.empty() ? std::string("エラー ") + number : message + " (" + number + ")";
}

// The link through IShellLinkA (`iid` IID_IShellLinkA) or IShellLinkW.
template <class Link>
LinkObject<Link> NewShellLink(REFIID iid) {
  LinkObject<Link> made;
  Link* link = nullptr;
  made.result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(&link));
  if (FAILED(made.result)) return made;
  made.link.SetHandle(link);
  IPersistFile* file = nullptr;
  made.result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (SUCCEEDED(made.result)) made.file.SetHandle(file);
  return made;
}

// The path of the item a link names, from its item list; empty when it names
// no file.
std::wstring ItemListPath(IShellLinkW& link) {
  using Fn = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, LPWSTR);
  static const auto toPath = reinterpret_cast<Fn>(reinterpret_cast<void*>(Shell32Proc("SHGetPathFromIDListW")));
  PIDLIST_ABSOLUTE items = nullptr;
  wchar_t path[MAX_PATH] = L"";
  const bool named = toPath && SUCCEEDED(link.GetIDList(&items)) && items && toPath(items, path);
  CoTaskMemFree(items);
  return named ? std::wstring(path, wcsnlen(path, MAX_PATH)) : std::wstring();
}

}  // namespace

void TSubject::CreateShortcut(const std::string& description, const std::string& path) {
  const ComLibrary com;
  const std::string target = ExtractFilePath(GetModuleFileNameString()) + kLauncherFile;
  // The shortcut starts the launcher in a folder of the shell's choosing: a
  // name relative to the folder the editor was started in would name nothing.
  const DWORD size = GetFullPathNameA(FileName.c_str(), 0, nullptr, nullptr);
  std::string menu(size, '\0');
  menu.resize(size ? GetFullPathNameA(FileName.c_str(), size, menu.data(), nullptr) : 0);
  if (menu.empty() || menu.size() >= size) menu = FileName;
  const auto made = NewShellLink<IShellLinkA>(IID_IShellLinkA);
  HRESULT result = made.result;
  if (SUCCEEDED(result)) {
    IShellLinkA* link = made.link.Handle();
    for (HRESULT step : {link->SetDescription(description.c_str()), link->SetPath(target.c_str()),
                         link->SetArguments(("\"" + menu + "\"").c_str()),
                         link->SetIconLocation(target.c_str(), menufile::kEditorIcon)})
      if (FAILED(step)) result = step;
  }
  if (SUCCEEDED(result)) result = made.file.Handle()->Save(AnsiToWide(path).c_str(), TRUE);
  // The user asked for the shortcut: one that is not there is no silent matter.
  if (FAILED(result)) throw Exception("ショートカット「" + path + "」を作成できません。\r\n" + ResultText(result));
}

TShortcutInfo TSubject::ReadShortcut(const std::wstring& path) {
  TShortcutInfo found;
  const ComLibrary com;
  // Read in UTF-16, so that a field with a character the code page lacks
  // comes out as it is, for the caller to judge.
  const auto made = NewShellLink<IShellLinkW>(IID_IShellLinkW);
  if (FAILED(made.result) || FAILED(made.file.Handle()->Load(path.c_str(), STGM_READ))) return found;
  IShellLinkW* link = made.link.Handle();
  if (FAILED(link->Resolve(Application->Handle(), SLR_ANY_MATCH))) return found;
  wchar_t target[MAX_PATH] = L"", arguments[INFOTIPSIZE] = L"", folder[MAX_PATH] = L"";
  WIN32_FIND_DATAW data{};
  // Each text ends within its buffer, whatever the shell wrote there.
  const auto text = [](const wchar_t* buffer, size_t size) { return std::wstring(buffer, wcsnlen(buffer, size)); };
  if (SUCCEEDED(link->GetPath(target, MAX_PATH, &data, SLGP_SHORTPATH))) found.Target = text(target, MAX_PATH);
  // Some shells keep the target's path in the file in the code page alone
  // and hand out a "?" for each character it lacks, which no path holds;
  // the target's item list, where there is one, keeps its name whole.
  if (found.Target.find(L'?') != std::wstring::npos) {
    const std::wstring whole = ItemListPath(*link);
    if (!whole.empty()) found.Target = whole;
  }
  if (SUCCEEDED(link->GetArguments(arguments, INFOTIPSIZE))) found.Arguments = text(arguments, INFOTIPSIZE);
  if (SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH))) found.WorkFolder = text(folder, MAX_PATH);
  return found;
}
