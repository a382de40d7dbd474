#include "Dialogs.h"

#include <utility>

namespace gui {

namespace {
MessageBoxResponder& Responder() {
  static MessageBoxResponder responder;
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

}  // namespace gui
