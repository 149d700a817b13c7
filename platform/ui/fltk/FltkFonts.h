// The face behind FL_HELVETICA. The forms were laid out for a narrow
// sans-serif face; fontconfig's default "sans" here is a wide one, in which
// the longer lines of the wizard overflow their labels. So the four
// Helvetica slots get the first installed face of Helvetica's metrics.
#pragma once

#include <string>

namespace ui::fltk {

// The family chosen, or "sans" when none of the preferred ones is installed.
std::string ChooseSansFamily();
// Points FLTK's four Helvetica faces (plain, bold, italic, both) at it.
void UseSansFamily(const std::string& family);

}  // namespace ui::fltk
