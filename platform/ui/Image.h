// A picture control showing a JPEG compiled into the program. The picture's
// size comes from its frame header. Where it lands in the control follows
// the designer's rules: unscaled from the top-left corner (clipped when the
// control is narrower), centred if asked, stretched to the control, or, when
// proportional, shrunk to fit keeping its aspect (a smaller picture keeps
// its size).
#pragma once

#include <span>

#include "platform/ui/Control.h"
#include "platform/ui/Jpeg.h"

namespace ui {

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(Rect, Rect) = default;
};

class Image : public Control {
 public:
  Image(Container& parent, const ControlDesc& desc);

  std::span<const unsigned char> Picture() const { return picture_; }
  // Throws Exception when the bytes are not a JPEG picture.
  void SetPicture(std::span<const unsigned char> jpeg);
  ui::PictureSize PictureSize() const { return size_; }

  bool Center() const { return center_; }
  bool Proportional() const { return proportional_; }
  bool Stretch() const { return stretch_; }
  bool Transparent() const { return transparent_; }
  void SetCenter(bool v);
  void SetProportional(bool v);
  void SetStretch(bool v);
  void SetTransparent(bool v);

  // Where the picture is drawn, relative to the control.
  Rect PictureRect() const;

 private:
  std::span<const unsigned char> picture_;
  ui::PictureSize size_;
  bool center_, proportional_, stretch_, transparent_;
};

// The placement rule on its own, for a picture of `picture` in a control of
// `width` x `height`.
Rect PlacePicture(ui::PictureSize picture, int width, int height, bool center, bool proportional,
                  bool stretch);

}  // namespace ui
