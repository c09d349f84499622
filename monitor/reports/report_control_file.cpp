// Writing the engine's control file.
#include "report_control_file.h"

#include <cstring>

#include "install_paths.h"
#include "plugin_helpers.h"
#include "report_errors.h"
#include "report_text.h"

namespace {

// A value goes on one line: line breaks would forge keys.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

std::string Head(const std::string& outputPath, const std::string& style, const std::string& languageFile,
                 const std::string& templateFile) {
  return "[General]\r\nSaveReportAs=" + OneLine(outputPath) + "\r\nReportStyle=" + OneLine(style) +
         "\r\nReportLanguage=" + OneLine(languageFile) + "\r\nTemplateFile=" + OneLine(templateFile) +
         "\r\nReportFormat=HTML\r\n[Content]\r\n";
}

bool DirectoryExists(const std::string& path) {
  if (path.size() == 2 && path[1] == ':') return true;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Without a user the directory is made without asking; a failure goes to the log.
bool EnsureDirectoryQuietly(const std::string& directory) {
  std::string path = directory;
  while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  if (path.empty() || DirectoryExists(path)) return true;
  for (size_t at = path.find_first_of("\\/", 1); at != std::string::npos; at = path.find_first_of("\\/", at + 1)) {
    CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
  }
  CreateDirectoryA(path.c_str(), nullptr);
  return DirectoryExists(path);
}

}  // namespace

std::string ReportControlText(int reportType, const std::string& outputPath, const std::string& style,
                              const std::string& languageFile, const std::string& templateFile, int eventCount) {
  std::string text = Head(outputPath, style, languageFile, templateFile);
  if (reportType == 3) {
    text +=
        "ReportObjects=2\r\nTableOfContents=0\r\n"
        "Object1=SummaryReportChapter\r\nObject1_Type=SIMPLE\r\nObject1_Desc=SHORT\r\n"
        "Object2=SummaryReportSection\r\nObject2_Type =SIMPLE\r\nObject2_Desc=SHORT\r\n";
    return text;
  }
  const char* stats =
      "Object1=GeneralStatsChapter\r\nObject1_Type=SIMPLE\r\nObject1_Desc=SHORT\r\n"
      "Object2=GeneralStatsSection\r\nObject2_Type =SIMPLE\r\nObject2_Desc=SHORT\r\n";
  if (reportType == 2) {
    text += "ReportObjects=4\r\nTableOfContents=1\r\n";
    text += stats;
    text +=
        "Object3=DetailsChapter\r\nObject3_Type=SIMPLE\r\nObject3_Desc=SHORT\r\n"
        "Object4=DetailsTable1\r\nObject4_Type=TABLE\r\nObject4_Desc=SHORT\r\nObject4_Nested=2\r\n"
        "Object4_TableElements1=" +
        std::to_string(eventCount) + "\r\nObject4_TableElements2=3\r\n";
    return text;
  }
  text += "ReportObjects=2\r\nTableOfContents=0\r\n";
  text += stats;
  return text;
}

bool SplitReportTarget(const MEMORIZED_REPORT* report, std::string* directory, std::string* file,
                       std::string* problem) {
  std::string target = report->saveTo;
  char reports[MAX_PATH];
  const std::string reportDirectory = GetAlertReportDirectory(reports, sizeof reports) ? reports : "";
  auto leafOf = [](const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
  };
  switch (report->urlType) {
    case kSaveToFile: {
      if (StartsWithNoCase(target.c_str(), "file:///")) {
        target = target.substr(8);
        if (target.size() > 1 && target[1] == '|') {
          target[1] = ':';
          for (char& c : target) {
            if (c == '/') c = '\\';
          }
        }
      }
      const size_t cut = target.find_last_of("\\/");
      *directory = cut == std::string::npos ? reportDirectory : target.substr(0, cut + 1);
      *file = cut == std::string::npos ? target : target.substr(cut + 1);
      break;
    }
    case kSaveToFtp:
      if (StartsWithNoCase(target.c_str(), "ftp://")) target = target.substr(6);
      *file = leafOf(target);
      *directory = reportDirectory;
      break;
    case kSaveToMail: {
      if (StartsWithNoCase(target.c_str(), "mailto:")) target = target.substr(7);
      size_t cut = target.find('/');
      if (cut == std::string::npos) cut = target.find('\\');
      // Only a bare name: an attachment never names a place outside the report directory.
      *file = cut == std::string::npos ? std::string() : leafOf(target.substr(cut + 1));
      if (file->empty() || *file == "." || *file == "..") *file = "report.htm";
      *directory = reportDirectory;
      break;
    }
    default:
      *problem = "The report cannot be saved to\r\n" + target + ".\r\nOnly files, FTP and e-mail targets are supported.";
      return false;
  }
  if (file->empty() || *file == "." || *file == "..") {
    *problem = "Invalid URL specified for the \"save as\" path.";
    return false;
  }
  return true;
}

int WriteReportControlFile(HWND window, int eventCount, int reportType, int scheduled, MEMORIZED_REPORT* report,
                           char* outputDirectory, char* outputPath, char* controlPath, const char* logPath,
                           int background) {
  GetReportLanguage(nullptr, report);
  std::string directory;
  std::string file;
  std::string problem;
  if (!SplitReportTarget(report, &directory, &file, &problem)) {
    ReportError(window, scheduled, logPath, problem.c_str());
    return 0;
  }
  const std::string output = directory + file;
  if (output.size() >= MAX_PATH) {
    ReportError(window, scheduled, logPath, "Invalid URL specified for the \"save as\" path.");
    return 0;
  }
  if (scheduled != 0) {
    if (!EnsureDirectoryQuietly(directory)) {
      ReportError(window, scheduled, logPath, ("The report directory " + directory + " could not be created!").c_str());
      return 0;
    }
  } else if (!EnsureReportDirectory(window, output.c_str(), false)) {
    return 0;
  }
  CopyText(outputDirectory, MAX_PATH, directory.c_str());
  CopyText(outputPath, MAX_PATH, output.c_str());

  char alert[MAX_PATH];
  if (!GetAlertDirectory(alert, sizeof alert)) alert[0] = '\0';
  const std::string control = std::string(alert) + (background != 0 ? "BKGND.WCT" : "ALERT.WCT");
  CopyText(controlPath, MAX_PATH, control.c_str());
  const char* templateName = reportType == 3 ? "SUMMARY.VAR" : reportType == 2 ? "COMPLETE.VAR" : "SHORT.VAR";
  const std::string text =
      ReportControlText(reportType, output, report->reportStyle,
                        std::string(alert) + "TEMPLATE\\" + report->reportLanguage + ".rpl",
                        std::string(alert) + "TEMPLATE\\" + templateName, eventCount);
  HANDLE handle = CreateFileA(control.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  const bool ok = handle != INVALID_HANDLE_VALUE &&
                  WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                  written == text.size();
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  if (!ok) {
    ReportError(window, scheduled, logPath, ("Unable to create the Perl control file\r\n" + control + ".").c_str());
    return 0;
  }
  return 1;
}
