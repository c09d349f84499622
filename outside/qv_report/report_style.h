// A report style of "Style.ini" as the report's CSS, and its pictures.
#pragma once

#include <string>

namespace qvr {

struct ReportLook {
  std::string css;
  std::string logo;        // file name under "Base\Images\", or empty
  std::string background;  // file name under "Base\Images\", or empty
};

// Reads the style's section of the Style.ini at path. A style that is not in
// the file gives the built-in look; a key that is missing, its default.
ReportLook ReadReportLook(const std::string& styleFile, const std::string& style);

}  // namespace qvr
