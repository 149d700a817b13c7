#include "platform/ui/Image.h"

#include <string>

namespace ui {

Image::Image(Container& parent, const ControlDesc& desc)
    : Control(parent, desc), center_(desc.center), proportional_(desc.proportional),
      stretch_(desc.stretch), transparent_(desc.transparent) {
  if (!desc.picture.Bytes().empty()) SetPicture(desc.picture.Bytes());
}

void Image::SetPicture(std::span<const unsigned char> jpeg) {
  auto size = JpegSize(jpeg);
  if (!size) throw Exception("Image " + Name() + " : image JPEG non valide");
  picture_ = jpeg;
  size_ = *size;
  Notify(Property::State);
}

void Image::SetCenter(bool v) {
  center_ = v;
  Notify(Property::State);
}

void Image::SetProportional(bool v) {
  proportional_ = v;
  Notify(Property::State);
}

void Image::SetStretch(bool v) {
  stretch_ = v;
  Notify(Property::State);
}

void Image::SetTransparent(bool v) {
  transparent_ = v;
  Notify(Property::State);
}

Rect Image::PictureRect() const {
  return PlacePicture(size_, Width(), Height(), center_, proportional_, stretch_);
}

namespace {

// Fits w x h into the box keeping the aspect, on the longer side first.
void FitProportionally(int& w, int& h, int boxW, int boxH) {
  const double aspect = static_cast<double>(w) / h;
  if (w > h) {
    w = boxW;
    h = static_cast<int>(boxW / aspect);
    if (h > boxH) {
      h = boxH;
      w = static_cast<int>(boxH * aspect);
    }
  } else {
    h = boxH;
    w = static_cast<int>(boxH * aspect);
    if (w > boxW) {
      w = boxW;
      h = static_cast<int>(boxW / aspect);
    }
  }
}

}  // namespace

Rect PlacePicture(ui::PictureSize picture, int width, int height, bool center, bool proportional,
                  bool stretch) {
  int w = picture.width;
  int h = picture.height;
  const bool larger = w > width || h > height;
  if (w > 0 && h > 0 && (stretch || (proportional && larger))) {
    if (proportional) {
      FitProportionally(w, h, width, height);
    } else {
      w = width;
      h = height;
    }
  }
  Rect r{0, 0, w, h};
  if (center) {
    r.left = (width - w) / 2;
    r.top = (height - h) / 2;
  }
  return r;
}

}  // namespace ui
