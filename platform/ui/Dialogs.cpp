#include "platform/ui/Dialogs.h"

#include "platform/ui/Application.h"

namespace ui {

std::string_view DialogCaption(MsgDlgType type) {
  switch (type) {
    case mtError:
      return "Erreur";
    case mtInformation:
      return "Information";
    case mtConfirmation:
      return "Confirmation";
  }
  return {};
}

std::string_view ButtonCaption(MsgDlgBtn button) {
  switch (button) {
    case mbYes:
      return "&Oui";
    case mbNo:
      return "&Non";
    case mbOK:
      return "OK";
  }
  return {};
}

ModalResult ButtonResult(MsgDlgBtn button) {
  switch (button) {
    case mbYes:
      return mrYes;
    case mbNo:
      return mrNo;
    case mbOK:
      return mrOk;
  }
  return mrNone;
}

ModalResult MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons, int /*helpCtx*/) {
  return App().RunDialog(
      DialogRequest{.caption = std::string(DialogCaption(type)), .text = text, .type = type, .buttons = buttons});
}

void ShellOpen(const std::string& url) { App().GetBackend().ShellOpen(url); }

}  // namespace ui
