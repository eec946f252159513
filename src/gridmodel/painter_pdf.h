#pragma once
// PDF pages drawn through the cairo painter, written atomically.
#include <functional>
#include <string>

#include "gridmodel/painter.h"

namespace gridmodel {

// Draws pages 1..pageCount of paperPoints each; false with the reason when the file is not
// written (the previous file, if any, is kept).
bool WritePdfPages(const std::string& path, Size paperPoints, int pageCount,
                   const std::function<void(Painter&, int page)>& drawPage, std::string& error);

}  // namespace gridmodel
