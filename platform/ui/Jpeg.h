// The size of a JPEG picture, read from its frame header (SOFn marker)
// without decoding it, so that a back end without a screen knows it too.
#pragma once

#include <optional>
#include <span>

namespace ui {

struct PictureSize {
  int width = 0, height = 0;
  friend bool operator==(PictureSize, PictureSize) = default;
};

// None when the bytes are not a JPEG stream with a frame header.
std::optional<PictureSize> JpegSize(std::span<const unsigned char> jpeg);

}  // namespace ui
