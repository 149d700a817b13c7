// What the shared model and loop ask of a back end: a clock, the input it has
// queued, a way to sleep until input or a due time, a peer per control that
// mirrors the model on screen, the modal dialog, the shell and text metrics.
// The headless back end answers with a virtual clock and scripted input; the
// FLTK one with a real window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/Dialogs.h"
#include "platform/ui/Types.h"

namespace ui {

class Control;

// Which property of a control changed, so that a peer redraws what it must.
enum class Property { Bounds, Visible, Enabled, Caption, Font, Alignment, Hint, Cursor, Color, State };

class Peer {
 public:
  virtual ~Peer() = default;
  virtual void Changed(Property what) = 0;
};

struct DialogRequest {
  std::string caption{};
  std::string text{};
  MsgDlgType type = mtInformation;
  MsgDlgButtons buttons{mbOK};
  bool exceptionBox = false;  // the application's exception display
};

// An open dialog on screen; destroying it takes it down.
class DialogPeer {
 public:
  virtual ~DialogPeer() = default;
};

struct TextSize {
  int width = 0, height = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;

  virtual void Initialize() {}
  virtual std::uint64_t NowUs() const = 0;
  // One input event that is ready now, or an empty function. Back ends queue
  // input instead of running handlers from inside the toolkit, so that every
  // handler runs under the loop's exception guard and in its order.
  virtual std::function<void()> TakeInput() = 0;
  // Sleeps until input may be ready or the clock reaches `untilUs` (none:
  // no deadline). False when nothing can ever happen again.
  virtual bool Wait(std::optional<std::uint64_t> untilUs) = 0;
  // The control's on-screen mirror, or none where there is no screen.
  virtual std::unique_ptr<Peer> CreatePeer(Control& control) = 0;
  // Shows a dialog; the back end calls `answer` from an input event it queued.
  virtual std::unique_ptr<DialogPeer> OpenDialog(const DialogRequest& request,
                                                 std::function<void(ModalResult)> answer) = 0;
  virtual void ShellOpen(const std::string& url) = 0;
  virtual TextSize MeasureText(const Font& font, std::string_view text) = 0;
  // The default application title: the program file's name.
  virtual std::string ProgramName() const = 0;
};

// The back end of this build; each back-end folder defines it.
Backend& SystemBackend();

}  // namespace ui
