#include "gridmodel/painter_pdf.h"

#include <cairo-pdf.h>

#include "gridmodel/painter_cairo.h"
#include "platform/atomic_file.h"

namespace gridmodel {

namespace {
cairo_status_t WriteToFile(void* closure, const unsigned char* data, unsigned int length) {
  auto* file = static_cast<platform::AtomicFile*>(closure);
  return file->Write(data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}
}  // namespace

bool WritePdfPages(const std::string& path, Size paperPoints, int pageCount,
                   const std::function<void(Painter&, int page)>& drawPage, std::string& error) {
  platform::AtomicFile file(path);
  if (!file.Open()) {
    error = "the file cannot be created";
    return false;
  }
  cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(&WriteToFile, &file, paperPoints.cx, paperPoints.cy);
  cairo_t* cr = cairo_create(surface);
  {
    CairoPainter painter(cr, true);
    for (int page = 1; page <= pageCount; ++page) {
      drawPage(painter, page);
      cairo_show_page(cr);
    }
  }
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  cairo_status_t status = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    error = cairo_status_to_string(status);
    return false;
  }
  if (!file.Commit()) {
    error = "the file cannot be written";
    return false;
  }
  return true;
}

}  // namespace gridmodel
