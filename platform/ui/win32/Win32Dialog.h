// The message dialog: a window of our own rather than MessageBox, for two
// reasons. MessageBox runs Windows' modal loop, in which our loop's timers
// and posted messages would wait; and its buttons speak the language of
// Windows, where ours say "&Oui", "&Non" and "OK" on every machine.
#pragma once

#include <functional>
#include <memory>

#include "platform/ui/win32/Win32Backend.h"

namespace ui::win32 {

void RegisterDialogClass(HINSTANCE instance);
std::unique_ptr<DialogPeer> MakeDialog(Win32Backend& backend, const DialogRequest& request,
                                       std::function<void(ModalResult)> answer);

}  // namespace ui::win32
