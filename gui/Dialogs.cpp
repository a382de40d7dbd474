#include "Dialogs.h"

#include <utility>

#include "Forms.h"

namespace gui {

namespace {
MessageBoxResponder& Responder() {
  static MessageBoxResponder responder;
  return responder;
}
DialogResponder& ChooserResponder() {
  static DialogResponder responder;
  return responder;
}
}  // namespace

int MessageDlg(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  if (const auto& respond = Responder()) return respond({owner, text, caption, flags});
  return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

MessageBoxResponder SetMessageBoxResponder(MessageBoxResponder responder) {
  return std::exchange(Responder(), std::move(responder));
}

DialogResponder SetDialogResponder(DialogResponder responder) {
  return std::exchange(ChooserResponder(), std::move(responder));
}

bool RunSystemDialog(TComponent& dialog, const std::function<bool(HWND owner)>& show) {
  if (const auto& respond = ChooserResponder()) return respond(dialog);
  // The dialog disables its owner while it is open. The hidden application
  // window would leave the form the user clicked in free to take another
  // click, and the dialog would open in a corner.
  return show(Application ? Application->DialogOwner() : GetActiveWindow());
}

}  // namespace gui
