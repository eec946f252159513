#pragma once
// The formats cairo does not write: images loaded and saved through the toolkit's codecs
// (JPEG, BMP, PNG, GIF ...), chosen by the file's extension.
#include <string>

#include "platform/image.h"

namespace platform::ui {

// False (and the image unchanged) when the file cannot be read as an image.
bool LoadImageFile(const std::string& path, Image& image);
// Written through a temporary file; false when the format is unknown or writing fails.
bool SaveImageFile(const Image& image, const std::string& path);
// The same in the format of an extension ("bmp", "png" ...) whatever the path's.
bool SaveImageFile(const Image& image, const std::string& path, const std::string& format);

}  // namespace platform::ui
