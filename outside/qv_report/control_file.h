// The control file of one report run: where the report goes, its style,
// language and template, and the objects it is made of, in order.
#pragma once

#include <string>
#include <vector>

namespace qvr {

struct ReportObject {
  std::string name;              // the template block that makes it
  std::string type;              // "SIMPLE" or "TABLE"
  std::string description;
  int nested = 0;                // the depth of its repeats
  std::vector<long> elements;    // per repeat depth (1 first): the count, or -1: until the values end
};

struct ReportControl {
  std::string savePath;
  std::string style;
  std::string languagePath;
  std::string templatePath;
  std::string format;
  bool tableOfContents = false;
  std::vector<ReportObject> objects;
};

// Reads the control file with the profile functions; false with a reason
// when it cannot be used.
bool ReadReportControl(const std::string& path, ReportControl* control, std::string* problem);

}  // namespace qvr
