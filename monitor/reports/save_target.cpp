// Save-to targets and the schedule dialog's dates and times.
#include "save_target.h"

#include <cstdio>
#include <mutex>
#include <vector>

#include "memorized_report.h"
#include "qvplatform.h"
#include "report_text.h"

int ParseSaveTarget(std::string* text, const char* target) {
  const std::string whole = target != nullptr ? target : "";
  if ((whole.size() > 1 && (whole[1] == ':' || whole[1] == '\\')) || whole.rfind("..", 0) == 0) {
    *text = whole;
    return kSaveToFile;
  }
  struct Scheme {
    const char* prefix;
    int kind;
  };
  static constexpr Scheme kSchemes[] = {{"file:///", kSaveToFile}, {"ftp://", kSaveToFtp}, {"http://", kSaveToHttp},
                                        {"mailto:", kSaveToMail},  {"odbc:", kSaveToOdbc}};
  for (const Scheme& scheme : kSchemes) {
    if (!StartsWithNoCase(whole.c_str(), scheme.prefix)) continue;
    *text = whole.substr(std::strlen(scheme.prefix));
    if (scheme.kind == kSaveToFile && text->size() > 1 && (*text)[1] == '|') {
      (*text)[1] = ':';
      for (char& c : *text) {
        if (c == '/') c = '\\';
      }
    }
    return scheme.kind;
  }
  *text = whole;
  return kSaveToFile;
}

void SplitMailTarget(const std::string& text, std::string* address, std::string* file) {
  size_t cut = text.find('/');
  if (cut == std::string::npos) cut = text.find('\\');
  *address = cut == std::string::npos ? text : text.substr(0, cut);
  *file = cut == std::string::npos ? std::string() : text.substr(cut + 1);
}

namespace {

std::string WithoutDotPrefix(std::string path) {
  if (path.rfind(".\\", 0) == 0 || path.rfind("./", 0) == 0) path = path.substr(2);
  return path;
}

}  // namespace

bool ValidateSaveTo(int urlType, const std::string& target, const std::string& address,
                    const std::string& reportDirectory, std::string* out, int* messageId) {
  if (target.empty()) {
    *messageId = 6;
    return false;
  }
  if (urlType == kSaveToFile) {
    const bool hasDirectory = target.find_first_of("\\/:") != std::string::npos;
    // A path from the root with folders in it is a full path here: the
    // program's own directories (and every target this dialog stored) are
    // such paths, and editing an event must not move its report. A bare file
    // at the root still goes below the report directory.
    const bool rootedFolder = (target[0] == '\\' || target[0] == '/') &&
                              target.find_first_of("\\/", 1) != std::string::npos;
    if (rootedFolder || (hasDirectory && target[0] != '.' && target[0] != '\\')) {
      *out = target;
    } else {
      std::string rest = WithoutDotPrefix(target);
      while (!rest.empty() && (rest[0] == '\\' || rest[0] == '/')) rest.erase(0, 1);
      *out = reportDirectory + rest;
    }
    return true;
  }
  if (urlType == kSaveToMail) {
    if (address.empty()) {
      *messageId = 7;
      return false;
    }
    const std::string file = WithoutDotPrefix(target);
    const bool slash = address.back() == '/' || (!file.empty() && file[0] == '/');
    *out = "mailto:" + address + (slash ? "" : "/") + file;
    return true;
  }
  *out = target;
  return true;
}

bool BuildSaveTarget(int urlType, const std::string& text, std::string* out) {
  for (const char* scheme : {"file:///", "ftp://", "http://", "odbc:", "mailto:"}) {
    if (StartsWith(text.c_str(), scheme)) {
      *out = text;
      return true;
    }
  }
  const bool backslash = text.find('\\') != std::string::npos;
  const bool leadingSlash = !text.empty() && text[0] == '/';
  switch (urlType) {
    case kSaveToFile:
      *out = "file:///" + text;
      return true;
    case kSaveToFtp:
    case kSaveToHttp:
      if (text.find('/') == std::string::npos || backslash || leadingSlash) return false;
      *out = (urlType == kSaveToFtp ? "ftp://" : "http://") + text;
      return true;
    case kSaveToMail:
      if (text.find('@') == std::string::npos || backslash || leadingSlash) return false;
      *out = "mailto:" + text;
      return true;
    case kSaveToOdbc:
      *out = "odbc:" + text;
      return true;
    default:
      *out = text;
      return true;
  }
}

namespace {

std::mutex g_time_lock;

struct IntlForm {
  int order = 0;
  std::string dateSeparator = "/";
  std::string timeSeparator = ":";
};

IntlForm ReadIntl() {
  IntlForm form;
  form.order = static_cast<int>(GetProfileIntA("intl", "iDate", 0));
  char text[8];
  GetProfileStringA("intl", "sDate", "/", text, sizeof text);
  form.dateSeparator = text[0] != '\0' ? std::string(1, text[0]) : "/";
  GetProfileStringA("intl", "sTime", ":", text, sizeof text);
  form.timeSeparator = text[0] != '\0' ? std::string(1, text[0]) : ":";
  return form;
}

// Decimal fields split at the separator; false when a field is not a number.
bool Fields(const std::string& text, const std::string& separator, std::vector<int>* out) {
  out->clear();
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    const std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (part.empty() || part.size() > 6 || part.find_first_not_of("0123456789") != std::string::npos) return false;
    out->push_back(std::stoi(part));
    if (end == std::string::npos) return true;
    start = end + separator.size();
  }
}

}  // namespace

void FormatScheduleDateTime(bool local, std::string* date, std::string* time, time_t* when) {
  if (*when == 0) *when = std::time(nullptr) + 300;
  std::tm at{};
  bool valid = false;
  {
    std::lock_guard<std::mutex> hold(g_time_lock);
    const std::tm* fields = local ? std::localtime(when) : std::gmtime(when);
    if (fields != nullptr) {
      at = *fields;
      valid = true;
    }
  }
  if (!valid) {
    *date = "N/A";
    time->clear();
    return;
  }
  const IntlForm form = ReadIntl();
  const int year = at.tm_year < 100 ? at.tm_year : at.tm_year + 1900;
  int a = at.tm_mon + 1, b = at.tm_mday, c = year;
  if (form.order == 1) {
    a = at.tm_mday;
    b = at.tm_mon + 1;
  } else if (form.order == 2) {
    a = year;
    c = at.tm_mday;
  }
  char text[64];
  std::snprintf(text, sizeof text, "%02d%s%02d%s%02d", a, form.dateSeparator.c_str(), b, form.dateSeparator.c_str(), c);
  *date = text;
  std::snprintf(text, sizeof text, "%02d%s%02d%s%02d", at.tm_hour, form.timeSeparator.c_str(), at.tm_min,
                form.timeSeparator.c_str(), at.tm_sec);
  *time = text;
}

bool ParseScheduleDate(const std::string& text, int* day, int* month, int* year) {
  const IntlForm form = ReadIntl();
  std::vector<int> fields;
  if (!Fields(text, form.dateSeparator, &fields) || fields.size() != 3) return false;
  int d = fields[1], m = fields[0], y = fields[2];
  if (form.order == 1) {
    d = fields[0];
    m = fields[1];
  } else if (form.order == 2) {
    y = fields[0];
    m = fields[1];
    d = fields[2];
  }
  if (y < 70) y += 2000;
  if (y >= 1900) {
    if (y < 1970) return false;
    y -= 1900;
  }
  if (m < 1 || m > 12 || d < 1 || d > 31) return false;
  if (m == 2 && d > 29) return false;
  *day = d;
  *month = m;
  *year = y;
  return true;
}

void ReadScheduleTime(const std::string& text, int* hours, int* minutes, int* seconds) {
  const IntlForm form = ReadIntl();
  int values[3] = {0, 0, 0};
  size_t start = 0;
  for (int i = 0; i < 3 && start <= text.size(); ++i) {
    const size_t end = text.find(form.timeSeparator, start);
    const std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    values[i] = part.empty() || part.size() > 6 || part.find_first_not_of("0123456789") != std::string::npos
                    ? (part.empty() ? 0 : 99)
                    : std::stoi(part);
    if (end == std::string::npos) break;
    start = end + form.timeSeparator.size();
  }
  *hours = values[0];
  *minutes = values[1];
  *seconds = values[2];
}

bool ParseScheduleTime(const std::string& text) {
  if (text.empty()) return false;
  int hours = 0, minutes = 0, seconds = 0;
  ReadScheduleTime(text, &hours, &minutes, &seconds);
  return hours < 24 && minutes < 60 && seconds < 60;
}
