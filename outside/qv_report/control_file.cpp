#include "control_file.h"

#include <cstdlib>

#include "qvplatform.h"
#include "report_files.h"

namespace qvr {
namespace {

constexpr int kMaxObjects = 1000;
constexpr int kMaxNesting = 16;

std::string Read(const char* section, const std::string& key, const std::string& path) {
  char value[1024] = "";
  GetPrivateProfileStringA(section, key.c_str(), "", value, sizeof value, path.c_str());
  return value;
}

// A whole decimal number, or `fallback`.
long Number(const std::string& text, long fallback) {
  if (text.empty()) return fallback;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  return end != nullptr && *end == '\0' ? value : fallback;
}

}  // namespace

bool ReadReportControl(const std::string& path, ReportControl* control, std::string* problem) {
  if (!FileExists(path)) {
    *problem = "the control file " + path + " is missing";
    return false;
  }
  control->savePath = Read("General", "SaveReportAs", path);
  control->style = Read("General", "ReportStyle", path);
  control->languagePath = Read("General", "ReportLanguage", path);
  control->templatePath = Read("General", "TemplateFile", path);
  control->format = Read("General", "ReportFormat", path);
  control->tableOfContents = Number(Read("Content", "TableOfContents", path), 0) != 0;
  if (control->savePath.empty()) {
    *problem = "the control file names no report file";
    return false;
  }
  const long count = Number(Read("Content", "ReportObjects", path), -1);
  if (count < 0 || count > kMaxObjects) {
    *problem = "the control file's object count is not valid";
    return false;
  }
  for (long i = 1; i <= count; ++i) {
    const std::string key = "Object" + std::to_string(i);
    ReportObject object;
    object.name = Read("Content", key, path);
    object.type = Read("Content", key + "_Type", path);
    object.description = Read("Content", key + "_Desc", path);
    const long nested = Number(Read("Content", key + "_Nested", path), 0);
    object.nested = static_cast<int>(nested < 0 ? 0 : nested > kMaxNesting ? kMaxNesting : nested);
    for (int level = 1; level <= kMaxNesting; ++level) {
      object.elements.push_back(Number(Read("Content", key + "_TableElements" + std::to_string(level), path), -1));
    }
    if (object.name.empty()) {
      *problem = "the control file names no block for " + key;
      return false;
    }
    control->objects.push_back(std::move(object));
  }
  return true;
}

}  // namespace qvr
