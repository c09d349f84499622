// PerlRun: one report from its control file, template, language, style and
// the caller's values. Everything a run needs lives in its own ReportRun.
#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "control_file.h"
#include "html_text.h"
#include "language_items.h"
#include "qv_report.h"
#include "report_files.h"
#include "report_style.h"
#include "template_file.h"

namespace qvr {
namespace {

// A repeat without a count ends when the values end; this many rows mean
// they never will.
constexpr long kMaxRows = 10'000'000;
// Rows between two progress calls inside one object (a cancel is seen there).
constexpr long kRowsPerStatus = 1000;
// The longest value taken from a callback.
constexpr size_t kMaxValue = 65536;
constexpr size_t kStatusSize = 260;

enum class Lookup { kValue, kEnded, kUnknown };

class ReportRun {
 public:
  ReportRun(void* request, QvrSummaryProc summary, QvrPropertyProc property, QvrStatusProc status, QvrFileProc files)
      : request_(request), summary_(summary), property_(property), status_(status), files_(files) {}

  int Run(const std::string& script);

 private:
  int Fail(int result, const std::string& why) {
    if (result_ == QVR_MADE) {
      result_ = result;
      OutputDebugStringA(("Report engine: " + why + "\r\n").c_str());
    }
    return result_;
  }
  std::string Property(int id) {
    const char* value = property_(request_, id);
    return value != nullptr ? std::string(value, strnlen(value, 1024)) : std::string();
  }
  bool Progress(int position, int range, const std::string& text) {
    if (status_ == nullptr) return true;
    if (status_(request_, position, range, text.c_str(), 0) != 0) return true;
    Fail(QVR_CANCELLED, "cancelled");
    return false;
  }
  Lookup Value(const std::string& token, std::string* value);
  bool Render(const Nodes& nodes, std::string& out);
  bool RenderNode(const Node& node, std::string& out);
  bool RenderRepeat(const Node& repeat, std::string& out);
  bool RenderFrame(const Nodes& nodes, const std::string& body, std::string& out);
  void CopyPicture(const std::string& directory, const std::string& name);

  void* request_;
  QvrSummaryProc summary_;
  QvrPropertyProc property_;
  QvrStatusProc status_;
  QvrFileProc files_;

  int result_ = QVR_MADE;
  ReportControl control_;
  Blocks blocks_;
  std::string language_;
  ReportLook look_;
  std::vector<std::string> pictures_;  // copied beside the report
  const ReportObject* object_ = nullptr;
  int objectNumber_ = 0;
  std::vector<long> indices_;          // the open repeats' indices, outermost first
  bool valuesEnded_ = false;           // a value of the current row said the values end
  unsigned long tokensAsked_ = 0;
  long rows_ = 0;
  std::vector<std::pair<std::string, std::string>> chapters_;  // anchor, title
};

Lookup ReportRun::Value(const std::string& token, std::string* value) {
  char status[kStatusSize] = "";
  char unused[kStatusSize] = "";
  const int index = indices_.empty() ? 0 : static_cast<int>(indices_.back());
  ++tokensAsked_;
  const char* answer = summary_(request_, token.c_str(), index, 0, unused, status);
  status[kStatusSize - 1] = '\0';
  value->clear();
  if (std::strcmp(status, QVR_TOKEN_END) == 0) return Lookup::kEnded;
  if (std::strcmp(status, QVR_TOKEN_OK) != 0) return Lookup::kUnknown;
  if (answer != nullptr) value->assign(answer, strnlen(answer, kMaxValue));
  return Lookup::kValue;
}

bool ReportRun::RenderRepeat(const Node& repeat, std::string& out) {
  const size_t depth = indices_.size();
  const long count = depth < object_->elements.size() ? object_->elements[depth] : -1;
  for (long i = 0; count < 0 || i < count; ++i) {
    if (i >= kMaxRows) {
      Fail(QVR_GENERAL_ERROR, "a repeat of " + object_->name + " never ends");
      return false;
    }
    const bool outerEnded = valuesEnded_;
    const unsigned long askedBefore = tokensAsked_;
    valuesEnded_ = false;
    indices_.push_back(i);
    std::string row;
    const bool ok = Render(repeat.children, row);
    indices_.pop_back();
    const bool ended = valuesEnded_;
    valuesEnded_ = outerEnded;
    if (!ok) return false;
    if (ended) break;
    if (count < 0 && tokensAsked_ == askedBefore) {
      Fail(QVR_TEMPLATE_PROBLEM, "a repeat of " + object_->name + " without a count asks for no value");
      return false;
    }
    out += row;
    if (++rows_ % kRowsPerStatus == 0 &&
        !Progress(objectNumber_, static_cast<int>(control_.objects.size()), "Creating " + object_->name + "...")) {
      return false;
    }
  }
  return true;
}

bool ReportRun::Render(const Nodes& nodes, std::string& out) {
  for (const auto& node : nodes) {
    if (!RenderNode(*node, out)) return false;
  }
  return true;
}

bool ReportRun::RenderNode(const Node& node, std::string& out) {
  switch (node.kind) {
    case Node::Kind::kText:
      AppendUtf8(out, node.text);
      break;
    case Node::Kind::kToken:
    case Node::Kind::kBareToken: {
      std::string value;
      const Lookup found = Value(node.text, &value);
      if (found == Lookup::kUnknown) {
        Fail(QVR_TEMPLATE_PROBLEM, "the token " + node.text + " is unknown");
        return false;
      }
      if (found == Lookup::kEnded) valuesEnded_ = true;
      // An empty value gets no span: an empty inline element is dropped
      // (with a warning) by HTML checkers and carries nothing to style.
      if (node.kind == Node::Kind::kToken && !value.empty()) {
        out += "<span class=\"" + ClassName(node.text) + "\">";
        AppendEscaped(out, value);
        out += "</span>";
      } else {
        AppendEscaped(out, value);
      }
      break;
    }
    case Node::Kind::kItem: {
      std::string text;
      if (!FindItemText(language_, node.text, &text)) {
        Fail(QVR_TEMPLATE_PROBLEM, "the language has no item " + node.text);
        return false;
      }
      AppendEscaped(out, text);
      break;
    }
    case Node::Kind::kChapter: {
      std::string title;
      if (!Render(node.children, title)) return false;
      const std::string anchor = "chapter" + std::to_string(chapters_.size() + 1);
      out += "<h2 class=\"chapter\" id=\"" + anchor + "\">" + title + "</h2>\n";
      chapters_.emplace_back(anchor, title);
      break;
    }
    case Node::Kind::kRepeat:
      if (!RenderRepeat(node, out)) return false;
      break;
    case Node::Kind::kFrameSlot:
      break;
  }
  return true;
}

bool ReportRun::RenderFrame(const Nodes& nodes, const std::string& body, std::string& out) {
  for (const auto& node : nodes) {
    if (node->kind != Node::Kind::kFrameSlot) {
      if (!RenderNode(*node, out)) return false;
      continue;
    }
    if (node->text == "STYLE") {
      out += look_.css;
    } else if (node->text == "LOGO") {
      if (!look_.logo.empty() && std::find(pictures_.begin(), pictures_.end(), look_.logo) != pictures_.end())
        out += "<img class=\"logo\" src=\"" + look_.logo + "\" alt=\"\">\n";
    } else if (node->text == "CONTENTS") {
      if (control_.tableOfContents && !chapters_.empty()) {
        out += "<nav class=\"contents\">\n<ul>\n";
        for (const auto& [anchor, title] : chapters_) out += "<li><a href=\"#" + anchor + "\">" + title + "</a></li>\n";
        out += "</ul>\n</nav>\n";
      }
    } else if (node->text == "BODY") {
      out += body;
    }
  }
  return true;
}

void ReportRun::CopyPicture(const std::string& directory, const std::string& name) {
  if (name.empty() || directory.empty()) return;
  const std::string path = directory + "Base\\Images\\" + name;
  if (!FileExists(path)) return;
  if (files_ != nullptr) files_(request_, 0, path.c_str());
  pictures_.push_back(name);
}

int ReportRun::Run(const std::string& script) {
  if (summary_ == nullptr || property_ == nullptr) return Fail(QVR_GENERAL_ERROR, "a callback is missing");
  std::string problem;
  const std::string controlPath = Property(QVR_PROPERTY_CONTROL_FILE);
  if (controlPath.empty() || !ReadReportControl(controlPath, &control_, &problem))
    return Fail(QVR_GENERAL_ERROR, problem.empty() ? "no control file" : problem);
  if (!control_.format.empty() && UpperCase(control_.format) != "HTML")
    return Fail(QVR_GENERAL_ERROR, "the report format " + control_.format + " is not made");

  std::string text;
  if (!ReadWholeFile(control_.templatePath, &text))
    return Fail(QVR_TEMPLATE_PROBLEM, "the template " + control_.templatePath + " cannot be read");
  if (!ParseTemplate(text, &blocks_, &problem))
    return Fail(QVR_TEMPLATE_PROBLEM, control_.templatePath + ", " + problem);
  if (!ReadWholeFile(control_.languagePath, &language_))
    return Fail(QVR_TEMPLATE_PROBLEM, "the language " + control_.languagePath + " cannot be read");
  Nodes frame;
  if (!ReadWholeFile(script, &text)) return Fail(QVR_TEMPLATE_PROBLEM, "the page frame " + script + " cannot be read");
  if (!ParseFrame(text, &frame, &problem)) return Fail(QVR_TEMPLATE_PROBLEM, script + ", " + problem);

  std::string directory = Property(QVR_PROPERTY_DIRECTORY);
  if (!directory.empty() && directory.back() != '\\' && directory.back() != '/') directory += '\\';
  look_ = ReadReportLook(directory.empty() ? std::string() : directory + "Style.ini", control_.style);

  std::string body;
  const int count = static_cast<int>(control_.objects.size());
  for (int i = 0; i < count; ++i) {
    object_ = &control_.objects[static_cast<size_t>(i)];
    objectNumber_ = i + 1;
    if (!Progress(objectNumber_, count, "Creating " + object_->name + "...")) return result_;
    const auto block = blocks_.find(UpperCase(object_->name));
    if (block == blocks_.end()) return Fail(QVR_TEMPLATE_PROBLEM, "the template has no block " + object_->name);
    indices_.clear();
    valuesEnded_ = false;
    if (!Render(block->second, body)) return result_;
  }
  object_ = nullptr;

  CopyPicture(directory, look_.logo);
  if (look_.background != look_.logo) CopyPicture(directory, look_.background);
  std::string page;
  if (!RenderFrame(frame, body, page)) return result_;
  if (!ReplaceFile(control_.savePath, page))
    return Fail(QVR_GENERAL_ERROR, "the report " + control_.savePath + " cannot be written");
  if (files_ != nullptr) {
    files_(request_, 1, NameOf(control_.savePath).c_str());
    for (const std::string& picture : pictures_) files_(request_, 1, picture.c_str());
  }
  return QVR_MADE;
}

}  // namespace
}  // namespace qvr

QV_API int PerlRun(const char* script, void* request, QvrSummaryProc summary, QvrPropertyProc property,
                   QvrStatusProc status, QvrFileProc files) {
  try {
    qvr::ReportRun run(request, summary, property, status, files);
    return run.Run(script != nullptr ? script : "");
  } catch (...) {
    // Out of memory, mostly: no exception leaves the engine.
    OutputDebugStringA("Report engine: the run failed\r\n");
    return QVR_GENERAL_ERROR;
  }
}
