#include "ShellMenu.h"

#include <shellapi.h>
#include <shlobj.h>
// Its macro would rename ours.
#undef ShellExecute

#include <utility>

#include "Menus.h"
#include "ShellApi.h"

namespace gui {

namespace {

template <class Fn>
Fn ShellProc(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(Shell32Proc(name)));
}

template <class Fn>
Fn OleProc(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(Ole32Proc(name)));
}

// An interface pointer with one owner.
template <class T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  void** Out() { return reinterpret_cast<void**>(&p_); }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// Keeps the program going while the shell works on for it on a thread of its
// own (Windows shows a file's properties so): the shell holds a reference to
// it (SHSetInstanceExplorer) for as long as that work lasts.
class ProcessReference final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (!IsEqualIID(iid, IID_IUnknown)) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&count_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&count_);
    // The program may be waiting for the last piece of work to end.
    if (left == 1) PostThreadMessageW(thread_, WM_NULL, 0, 0);
    return ULONG(left);
  }
  bool Held() { return InterlockedCompareExchange(&count_, 0, 0) > 1; }

 private:
  LONG count_ = 1;  // the program's own
  const DWORD thread_ = GetCurrentThreadId();
};

using SetInstanceFn = void(WINAPI*)(IUnknown*);

struct ShellSession {
  bool started = false;
  bool ole = false;
  ProcessReference reference;
};

ShellSession& Session() {
  static ShellSession session;
  return session;
}

// OLE, which the shell's clipboard commands need besides COM, and the
// reference the shell holds while it works on. False when the thread cannot
// have them (it runs COM in another mode).
bool StartShell() {
  ShellSession& session = Session();
  if (session.started) return session.ole;
  session.started = true;
  using InitFn = HRESULT(WINAPI*)(LPVOID);
  const auto init = OleProc<InitFn>("OleInitialize");
  session.ole = init && SUCCEEDED(init(nullptr));
  if (const auto set = ShellProc<SetInstanceFn>("SHSetInstanceExplorer")) set(&session.reference);
  return session.ole;
}

// The shell's items (an ITEMIDLIST) are freed by COM's allocator.
struct ItemList {
  PIDLIST_ABSOLUTE pidl = nullptr;
  ~ItemList() {
    using FreeFn = void(WINAPI*)(LPVOID);
    if (const auto free = OleProc<FreeFn>("CoTaskMemFree"); pidl && free) free(pidl);
  }
};

// The shell's commands take the numbers above those of this layer's menu
// items (which end at 0xEFFF), so that a message names one or the other.
constexpr UINT kFirstCommand = 0xF000;
constexpr UINT kLastCommand = 0xFFFF;

// The folder a file or folder is in, for the command to start in; none for
// a shell location.
std::wstring FolderOf(const std::wstring& target) {
  const size_t slash = target.find_last_of(L'\\');
  if (target.compare(0, 2, L"::") == 0 || slash == std::wstring::npos) return {};
  return target.substr(0, slash == 2 && target[1] == L':' ? 3 : slash);
}

}  // namespace

bool ShowShellContextMenu(HWND owner, const std::wstring& target, POINT at, const std::wstring& parameters,
                          const std::wstring& startFolder) {
  if (target.empty() || !StartShell()) return false;
  using ParseFn = HRESULT(WINAPI*)(PCWSTR, IBindCtx*, PIDLIST_ABSOLUTE*, SFGAOF, SFGAOF*);
  using BindFn = HRESULT(WINAPI*)(PCIDLIST_ABSOLUTE, REFIID, void**, PCUITEMID_CHILD*);
  static const auto parse = ShellProc<ParseFn>("SHParseDisplayName");
  static const auto bindToParent = ShellProc<BindFn>("SHBindToParent");
  ItemList item;
  if (!parse || !bindToParent || FAILED(parse(target.c_str(), nullptr, &item.pidl, 0, nullptr)) || !item.pidl)
    return false;
  ComRef<IShellFolder> folder;
  PCUITEMID_CHILD child = nullptr;
  ComRef<IContextMenu> menu;
  if (FAILED(bindToParent(item.pidl, IID_IShellFolder, folder.Out(), &child)) ||
      FAILED(folder->GetUIObjectOf(owner, 1, &child, IID_IContextMenu, nullptr, menu.Out())) || !menu)
    return false;
  // Menus that draw their entries or fill submenus as they open (Send To,
  // New) take the menu messages of the owner while they show.
  ComRef<IContextMenu3> menu3;
  ComRef<IContextMenu2> menu2;
  if (FAILED(menu->QueryInterface(IID_IContextMenu3, menu3.Out())))
    menu->QueryInterface(IID_IContextMenu2, menu2.Out());

  base::UniqueHandle<MenuTraits> popup(CreatePopupMenu());
  // Shift held shows the further commands, as in Explorer.
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  if (popup.Empty() ||
      FAILED(menu->QueryContextMenu(popup.Handle(), 0, kFirstCommand, kLastCommand,
                                    CMF_NORMAL | (shift ? CMF_EXTENDEDVERBS : 0))))
    return false;
  UINT command;
  {
    const TForeignMenuMessages forward([&](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
      if (menu3) return menu3->HandleMenuMsg2(msg, wParam, lParam, &result) == S_OK;
      if (!menu2 || msg == WM_MENUCHAR) return false;
      result = msg == WM_INITMENUPOPUP ? 0 : TRUE;
      return menu2->HandleMenuMsg(msg, wParam, lParam) == S_OK;
    });
    // Over a popup that shows (a recursive menu); the right button picks
    // too, as in Explorer.
    command = UINT(TrackPopupMenuEx(popup.Handle(),
                                    TPM_RECURSE | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                    at.x, at.y, owner, nullptr));
  }
  if (command < kFirstCommand) return false;

  const std::wstring directory = startFolder.empty() ? FolderOf(target) : startFolder;
  CMINVOKECOMMANDINFOEX info{};
  info.cbSize = sizeof info;
  // Carried out before it returns: the launcher ends right after.
  info.fMask = CMIC_MASK_UNICODE | CMIC_MASK_PTINVOKE | CMIC_MASK_NOASYNC | (shift ? CMIC_MASK_SHIFT_DOWN : 0) |
               (GetKeyState(VK_CONTROL) < 0 ? CMIC_MASK_CONTROL_DOWN : 0);
  info.hwnd = owner;
  info.lpVerb = MAKEINTRESOURCEA(command - kFirstCommand);
  info.lpVerbW = MAKEINTRESOURCEW(command - kFirstCommand);
  info.lpDirectoryW = directory.empty() ? nullptr : directory.c_str();
  info.lpParametersW = parameters.empty() ? nullptr : parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  info.ptInvoke = at;
  // The shell reports its own failures (a file it cannot delete) itself.
  menu->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info));
  return true;
}

void FinishShellWork() {
  ShellSession& session = Session();
  if (!session.started) return;
  bool quit = false;
  int exitCode = 0;
  while (session.reference.Held()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        exitCode = int(msg.wParam);
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (const auto set = ShellProc<SetInstanceFn>("SHSetInstanceExplorer")) set(nullptr);
  if (session.ole) {
    // What the clipboard holds of ours would otherwise go with the program.
    using FlushFn = HRESULT(WINAPI*)();
    using UninitFn = void(WINAPI*)();
    if (const auto flush = OleProc<FlushFn>("OleFlushClipboard")) flush();
    if (const auto uninit = OleProc<UninitFn>("OleUninitialize")) uninit();
  }
  session.started = session.ole = false;
  if (quit) PostQuitMessage(exitCode);
}

}  // namespace gui
