#include "platform/ui/wx_image.h"

#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <vector>

#include "platform/atomic_file.h"
#include "platform/paths.h"

namespace platform::ui {
namespace {

void EnsureHandlers() {
  static bool done = [] {
    wxInitAllImageHandlers();
    return true;
  }();
  (void)done;
}

}  // namespace

bool LoadImageFile(const std::string& path, Image& image) {
  EnsureHandlers();
  wxLogNull quiet;
  wxImage img;
  if (!img.LoadFile(wxString::FromUTF8(ToNative(path))) || !img.IsOk()) return false;
  const int w = img.GetWidth(), h = img.GetHeight();
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4);
  const unsigned char* rgb = img.GetData();
  const unsigned char* alpha = img.HasAlpha() ? img.GetAlpha() : nullptr;
  for (std::size_t i = 0; i < static_cast<std::size_t>(w) * h; ++i) {
    rgba[i * 4] = rgb[i * 3];
    rgba[i * 4 + 1] = rgb[i * 3 + 1];
    rgba[i * 4 + 2] = rgb[i * 3 + 2];
    rgba[i * 4 + 3] = alpha ? alpha[i] : 255;
  }
  image.FromRgbaBytes(w, h, rgba.data());
  return !image.IsEmpty();
}

bool SaveImageFile(const Image& image, const std::string& path) {
  std::string ext = Extension(path);
  if (!ext.empty()) ext.erase(0, 1);
  return SaveImageFile(image, path, ext);
}

bool SaveImageFile(const Image& image, const std::string& path, const std::string& ext) {
  if (image.IsEmpty()) return false;
  EnsureHandlers();
  wxLogNull quiet;
  wxImageHandler* handler = wxImage::FindHandler(wxString::FromUTF8(ext), wxBITMAP_TYPE_ANY);
  if (!handler) return false;
  const int w = image.Width(), h = image.Height();
  std::vector<std::uint8_t> rgba = image.ToRgbaBytes();
  wxImage img(w, h, false);
  bool anyAlpha = false;
  for (std::size_t i = 0; i < static_cast<std::size_t>(w) * h; ++i) anyAlpha |= rgba[i * 4 + 3] != 255;
  if (anyAlpha && handler->GetType() != wxBITMAP_TYPE_JPEG && handler->GetType() != wxBITMAP_TYPE_BMP) img.SetAlpha();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * w + x) * 4];
      img.SetRGB(x, y, p[0], p[1], p[2]);
      if (img.HasAlpha()) img.SetAlpha(x, y, p[3]);
    }
  if (handler->GetType() == wxBITMAP_TYPE_JPEG) img.SetOption(wxIMAGE_OPTION_QUALITY, 90);
  wxMemoryOutputStream out;
  if (!img.SaveFile(out, handler->GetType())) return false;
  std::vector<char> bytes(out.GetSize());
  out.CopyTo(bytes.data(), bytes.size());
  return WriteFileAtomically(path, std::string(bytes.data(), bytes.size()));
}

}  // namespace platform::ui
