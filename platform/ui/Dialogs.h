// The modal message dialog the system code calls, and the shell's open of a
// URL. The dialog's caption and buttons are French whatever the locale.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace ui {

enum MsgDlgType { mtError, mtInformation, mtConfirmation };
enum MsgDlgBtn { mbYes, mbNo, mbOK };
enum ModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

class MsgDlgButtons {
 public:
  constexpr MsgDlgButtons(std::initializer_list<MsgDlgBtn> buttons) {
    for (MsgDlgBtn b : buttons) bits_ |= Bit(b);
  }
  constexpr bool Has(MsgDlgBtn b) const { return (bits_ & Bit(b)) != 0; }
  friend constexpr bool operator==(MsgDlgButtons, MsgDlgButtons) = default;

 private:
  static constexpr std::uint8_t Bit(MsgDlgBtn b) { return static_cast<std::uint8_t>(1u << b); }
  std::uint8_t bits_ = 0;
};

// Shows `text` (lines split at \n, blank lines and leading blanks kept) in a
// modal dialog and returns the button pressed. Timers and posted messages are
// still dispatched while it is open. A Yes/No dialog is answered by its
// buttons only; an OK dialog also by Escape and the window's close.
ModalResult MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons, int helpCtx);

// The French texts every back end draws.
std::string_view DialogCaption(MsgDlgType type);
std::string_view ButtonCaption(MsgDlgBtn button);
ModalResult ButtonResult(MsgDlgBtn button);

// The shell's open of a URL (browser, mail program). Returns at once; the
// outcome is not examined.
void ShellOpen(const std::string& url);

}  // namespace ui
