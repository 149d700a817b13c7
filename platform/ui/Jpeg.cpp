#include "platform/ui/Jpeg.h"

#include <cstddef>

namespace ui {

namespace {

bool IsFrameHeader(unsigned char marker) {
  // SOF0 to SOF15, less DHT (C4), JPG (C8) and DAC (CC), which share the range.
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool IsStandalone(unsigned char marker) {
  return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);  // TEM, RSTn
}

}  // namespace

std::optional<PictureSize> JpegSize(std::span<const unsigned char> jpeg) {
  if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) return std::nullopt;
  std::size_t i = 2;
  while (i + 1 < jpeg.size()) {
    if (jpeg[i] != 0xFF) return std::nullopt;
    const unsigned char marker = jpeg[i + 1];
    if (marker == 0xFF) {  // fill byte before a marker
      ++i;
      continue;
    }
    i += 2;
    if (IsStandalone(marker)) continue;
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // end, or scan before any frame
    if (i + 2 > jpeg.size()) return std::nullopt;
    const std::size_t length = (std::size_t{jpeg[i]} << 8) | jpeg[i + 1];
    if (length < 2 || i + length > jpeg.size()) return std::nullopt;
    if (IsFrameHeader(marker)) {
      if (length < 7) return std::nullopt;
      const int height = (jpeg[i + 3] << 8) | jpeg[i + 4];
      const int width = (jpeg[i + 5] << 8) | jpeg[i + 6];
      if (width == 0 || height == 0) return std::nullopt;
      return PictureSize{width, height};
    }
    i += length;
  }
  return std::nullopt;
}

}  // namespace ui
