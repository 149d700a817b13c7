// The Windows back end: native controls in real windows. Windows' own queue
// carries the user's input and wakes the loop; our window procedures only
// queue the user's action, which the shared loop then runs in its order of
// priority (input, posted messages first in first out, due timers) and
// under its exception guard, exactly as on the other back ends.
//
// The timer schedule and the posted messages stay in the shared loop rather
// than in WM_TIMER and the thread's queue: Windows would order them the same
// way (posted messages before WM_TIMER, one coalesced WM_TIMER however late),
// but a second queue beside ours would interleave differently with input,
// and the sequencer's behaviour would then depend on the back end. Wait
// sleeps in MsgWaitForMultipleObjectsEx until the earliest due time or the
// first window message, whichever comes first, so the modal loops of
// ShowModal and the message dialog keep dispatching both.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/Backend.h"
#include "platform/ui/win32/Win32Fonts.h"
#include "platform/ui/win32/Win32Picture.h"

namespace ui::win32 {

class Win32Backend final : public Backend {
 public:
  Win32Backend();
  ~Win32Backend() override;
  Win32Backend(const Win32Backend&) = delete;
  Win32Backend& operator=(const Win32Backend&) = delete;

  // Queued input, keyed by whoever queued it, so that a control or dialog
  // taken down drops the actions that still refer to it.
  void Queue(const void* owner, std::function<void()> input);
  void Forget(const void* owner);

  GdiCache& Gdi() { return gdi_; }
  HINSTANCE Instance() const { return instance_; }
  // While a modal window is up, every other window of ours is disabled, as
  // Windows' own modal dialogs do; popping enables them again.
  void PushModal(HWND modal);
  void PopModal(HWND modal);
  // The window a new dialog belongs to: the innermost modal one, or the
  // active one.
  HWND DialogOwner() const;

  void Initialize() override;
  std::uint64_t NowUs() const override;
  std::function<void()> TakeInput() override;
  bool Wait(std::optional<std::uint64_t> untilUs) override;
  std::unique_ptr<Peer> CreatePeer(Control& control) override;
  std::unique_ptr<DialogPeer> OpenDialog(const DialogRequest& request,
                                         std::function<void(ModalResult)> answer) override;
  void ShellOpen(const std::string& url) override;
  ui::TextSize MeasureText(const ui::Font& font, std::string_view text) override;
  std::string ProgramName() const override;

 private:
  void Pump();
  bool DialogKeys(MSG& message);

  HINSTANCE instance_;
  std::int64_t frequency_ = 1;
  std::int64_t origin_ = 0;
  std::deque<std::pair<const void*, std::function<void()>>> inputs_;
  GdiCache gdi_;
  std::unique_ptr<GdiplusSession> gdiplus_;
  struct ModalEntry {
    HWND modal;
    std::vector<HWND> disabled;
  };
  std::vector<ModalEntry> modals_;
  bool initialized_ = false;
  bool comInitialized_ = false;
  bool finePeriod_ = false;
};

// Window classes of this back end, registered once.
inline constexpr wchar_t kFormClass[] = L"ZtForm";
inline constexpr wchar_t kPictureClass[] = L"ZtPicture";
inline constexpr wchar_t kDialogClass[] = L"ZtMessageDlg";

}  // namespace ui::win32
