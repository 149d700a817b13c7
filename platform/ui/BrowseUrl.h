// A browse-URL action: opens its URL through the shell when executed. It
// belongs to no control; its caption and hint are what a designer shows.
#pragma once

#include <string>

#include "platform/ui/Dialogs.h"

namespace ui {

struct BrowseUrl {
  std::string Category;
  std::string Caption;
  std::string Hint;
  std::string URL;
  // The shell's result is not examined: a missing browser is not reported.
  void Execute() const { ShellOpen(URL); }
};

}  // namespace ui
