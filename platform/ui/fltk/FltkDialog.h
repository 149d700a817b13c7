// The message dialog as a small modal window: an icon for its type, the
// text as given (line breaks, blank lines and leading blanks kept) and the
// French buttons, the first one focused and pressed by Enter.
#pragma once

#include <functional>
#include <memory>

#include "platform/ui/Backend.h"
#include "platform/ui/fltk/FltkBackend.h"

namespace ui::fltk {

std::unique_ptr<DialogPeer> MakeDialog(FltkBackend& backend, const DialogRequest& request,
                                       std::function<void(ModalResult)> answer);

}  // namespace ui::fltk
