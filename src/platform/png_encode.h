#pragma once
// PNG encoding of premultiplied ARGB32 pixels (cairo's image format), as straight RGBA or,
// where allowed and the image has at most 256 colours, with a palette and its transparency
// (one byte a pixel, the same pixels when read). The rows are deflated in pieces side by side, each piece primed with the
// data before it, into one zlib stream at the usual compression level.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/image.h"

namespace platform {

bool EncodeArgb32Png(const unsigned char* pixels, int width, int height, int stride, bool allowPalette,
                     std::string& out);

// A palette image (at most 256 straight colours) from its rows of indices. Each row is
// 1 + width bytes: the encoder writes the first byte of each row, the pixels follow it.
bool EncodeIndexedPng(std::vector<std::uint8_t>& rows, int width, int height, const std::vector<Rgba>& palette,
                      std::string& out);

}  // namespace platform
