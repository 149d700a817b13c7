// The design state of forms and controls, as constant data: a form is
// declared as members initialised from tables of these, in the order its
// resource creates them. Every field has a default, so a table names only
// what differs; C++20 designated initialisers must keep the declaration order
// below. The defaults are this layer's, chosen for the tables: a label does
// not size itself unless asked, a control inherits its parent's font.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "platform/ui/Types.h"

namespace ui {

// Bytes compiled into the program (a picture, an icon). The size is held by
// address, because the embedded arrays are defined in another translation
// unit and their sizes are not constant expressions there.
struct Blob {
  const unsigned char* data = nullptr;
  const std::size_t* size = nullptr;
  std::span<const unsigned char> Bytes() const {
    return data && size ? std::span<const unsigned char>(data, *size) : std::span<const unsigned char>();
  }
};

struct FontDesc {
  std::string_view name{};  // empty: the parent's face
  int size = 0;             // points; 0: the parent's size
  FontStyles style{};
  ui::Color color = clWindowText;
};

struct ControlDesc {
  std::string_view name{};
  int left = 0, top = 0, width = 0, height = 0;
  std::string_view caption{};  // a label's or button's caption, an edit's text
  bool visible = true;
  bool enabled = true;
  int tabOrder = -1;  // position among the parent's tab stops; -1: after the others
  bool tabStop = true;
  FontDesc font{};
  ui::Alignment alignment = ui::Alignment::Left;
  std::string_view hint{};
  bool showHint = false;
  ui::Cursor cursor = ui::Cursor::Default;
  std::optional<ui::Color> color{};  // background; none: the parent's
  // Label
  bool autoSize = false;
  bool transparent = false;
  // Button: Enter presses the form's default button.
  bool isDefault = false;
  // Edit
  bool readOnly = false;
  // RadioButton
  bool checked = false;
  // Image: a JPEG picture and how it is placed in the control.
  Blob picture{};
  bool center = false;
  bool proportional = false;
  bool stretch = false;
  // ProgressBar
  int min = 0, max = 100, position = 0, step = 1;
  bool smooth = false;
};

enum class BorderStyle { Single, Dialog };

struct FormDesc {
  std::string_view name{};
  int clientWidth = 0, clientHeight = 0;
  std::string_view caption{};
  BorderStyle border = BorderStyle::Single;
  bool minimizeOnly = true;  // border icons: minimise and nothing else
  ui::Color color = clBtnFace;
  FontDesc font{.name = "MS Sans Serif", .size = 8};
  Blob icon{};  // PNG
};

struct TimerDesc {
  std::string_view name{};
  unsigned interval = 1000;  // ms
  bool enabled = true;
};

}  // namespace ui
