// The script page interpreter: text, values, counters, conditions, jumps and
// loops. A run is bounded in backward jumps and time, and its loop state is
// its own.
#include "script_run.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gui_bridge.h"
#include "plugin_host.h"
#include "report_store.h"
#include "res_text.h"

namespace {

constexpr size_t kFlushAt = 1024;

enum ListKind { kListRep = 1, kListAllRep, kListLog, kListModule };

int32_t Number(const std::string& text) { return static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 10)); }

}  // namespace

void RunScriptPage(ServerRequest* request, HANDLE file) {
  const DWORD size = GetFileSize(file, nullptr);
  if (size == INVALID_FILE_SIZE || size > kScriptPageMax) {
    request->status = 200;
    request->SendResponseHeader();
    char text[600];
    std::snprintf(text, sizeof text,
                  "<HTML>\r\n<TITLE>Quorvane Remote Server Error</TITLE>\r\n<FONT COLOR=\"#FF0000\" SIZE=6>\r\nFile "
                  "is too big to fit in memory\r\n</FONT>\r\n<BR>\r\n(%s)\r\n<P>\r\n<P>\r\nPlease contact the "
                  "administrator for assistance\r\n</HTML>",
                  HtmlEscape(request->mappedPath).c_str());
    request->Send(text);
    return;
  }
  std::string page(size, '\0');
  DWORD got = 0;
  if (!ReadFile(file, page.data(), size, &got, nullptr)) got = 0;
  page.resize(got);
  RunScriptText(request, page);
}

void RunScriptText(ServerRequest* request, const std::string& page, const ScriptBudget& budget) {
  ScriptRun run(request, page.substr(0, kScriptPageMax), budget);
  run.Run();
}

ScriptRun::ScriptRun(ServerRequest* request, const std::string& page, const ScriptBudget& budget)
    : r_(*request), page_(page), budget_(budget) {}

void ScriptRun::Flush() {
  r_.Send(out_);
  out_.clear();
}

void ScriptRun::Value(const std::string& text) { out_ += HtmlEscape(text); }

bool ScriptRun::Starts(const char* prefix) const {
  const size_t n = std::strlen(prefix);
  return static_cast<size_t>(pos_) + n <= page_.size() && strncasecmp(page_.c_str() + pos_, prefix, n) == 0;
}

long ScriptRun::CloseOf(size_t from) const {
  const size_t at = page_.find('%', from);
  return at == std::string::npos ? -1 : static_cast<long>(at);
}

void ScriptRun::Run() {
  r_.results = 0;
  r_.loopStart = 0;
  r_.loopCounter = 0;
  r_.status = 200;
  started_ = GetTickCount64();
  const long size = static_cast<long>(page_.size());
  while (pos_ < size && !stop_) {
    if (jumps_ > budget_.backwardJumps || GetTickCount64() - started_ > budget_.milliseconds) break;
    if (page_[static_cast<size_t>(pos_)] != '%') {
      out_ += page_[static_cast<size_t>(pos_)];
    } else if (!Step()) {
      out_ += '%';
    }
    if (pos_ >= 0 && pos_ + 2 < size && page_[static_cast<size_t>(pos_)] == '%' &&
        page_[static_cast<size_t>(pos_) + 1] == '\r' && page_[static_cast<size_t>(pos_) + 2] == '\n') {
      pos_ += 2;
    }
    if (out_.size() > kFlushAt) Flush();
    ++pos_;
  }
  Flush();
}

// One directive at pos_ (a '%'); false when it is none (the '%' is text).
// Each leaves pos_ on its closing '%' unless it moves elsewhere.
bool ScriptRun::Step() {
  const size_t at = static_cast<size_t>(pos_);
  auto fixed = [&](const char* name) {
    if (!Starts(name)) return false;
    pos_ += static_cast<long>(std::strlen(name)) - 1;
    return true;
  };
  // A directive with an argument: the text from `prefix` to the next '%'.
  std::string arg;
  auto with = [&](const char* prefix) {
    if (!Starts(prefix)) return false;
    const size_t from = at + std::strlen(prefix);
    const long close = CloseOf(from);
    if (close < 0) return false;
    arg = page_.substr(from, static_cast<size_t>(close) - from);
    pos_ = close;
    return true;
  };

  if (with("%?")) {
    Value(r_.GetVarText(arg));
  } else if (fixed("%host%")) {
    Value(r_.host);
  } else if (fixed("%username%")) {
    Value(r_.userName);
  } else if (fixed("%qitem%")) {
    Value(r_.item);
  } else if (fixed("%user%")) {
    out_ += std::to_string(r_.userId);
  } else if (fixed("%tick%")) {
    out_ += std::to_string(static_cast<uint32_t>(GetTickCount64()));
  } else if (fixed("%results%")) {
    out_ += std::to_string(static_cast<uint32_t>(r_.results));
  } else if (fixed("%language%")) {
    char text[100];
    GetPrivateProfileStringA("Language", "Program", "ENGLISH", text, sizeof text, r_.settings.iniPath);
    Value(text);
  } else if (fixed("%loopcount%")) {
    out_ += std::to_string(static_cast<uint32_t>(r_.loopCounter));
  } else if (fixed("%itemid%")) {
    Value(itemId_);
  } else if (fixed("%item%")) {
    Value(itemText_);
  } else if (fixed("%errormsg%")) {
    if (r_.errorText.empty()) {
      char text[kResTextMax + 1];
      Value(LoadResText(5720, text, sizeof text));
    } else {
      Value(r_.errorText);
    }
  } else if (fixed("%module%")) {
    uint32_t kind = r_.moduleId;
    if (ProfileKindOfFile(itemId_, &kind)) r_.moduleId = kind;
    out_ += std::to_string(r_.moduleId);
  } else if (fixed("%count%")) {
    out_ += std::to_string(static_cast<uint32_t>(counter_));
  } else if (fixed("%checkcount%")) {
    r_.results = counter_;
  } else if (with("%count=")) {
    counter_ = Number(arg);
  } else if (fixed("%count++%")) {
    ++counter_;
  } else if (fixed("%count--%")) {
    --counter_;
  } else if (fixed("%sendheader%")) {
    r_.SendResponseHeader();
    if (r_.status != 200) stop_ = true;
  } else if (fixed("%redirect%")) {
    Redirect();
  } else if (fixed("%logon%")) {
    LogOn();
  } else if (fixed("%viewreport%")) {
    ViewReport();
  } else if (fixed("%deletereport%")) {
    DeleteReport();
  } else if (fixed("%exit%")) {
    stop_ = true;
  } else if (fixed("%loadOptRemote%")) {
    LoadOptRemote();
  } else if (fixed("%saveOptRemote%")) {
    SaveOptRemote();
  } else if (fixed("%LoadOptEMail%")) {
    LoadOptEMail();
  } else if (fixed("%SaveOptEMail%")) {
    SaveOptEMail();
  } else if (fixed("%LoadOptProxy%")) {
    LoadOptProxy();
  } else if (fixed("%SaveOptProxy%")) {
    SaveOptProxy();
  } else if (fixed("%checkuser%")) {
    r_.results = r_.haveUser && g_remoteUsers.Touch(r_.userId, GetTickCount64()) ? 1 : 0;
  } else if (fixed("%checkreport%")) {
    CheckReport();
  } else if (fixed("%checkadmin%")) {
    r_.results = r_.haveUser ? r_.user.admin : 0;
  } else if (fixed("%checklogowner%")) {
    r_.results = CheckOwner(logOwner_);
  } else if (with("%checkquery:")) {
    const std::string value = r_.GetParamText(arg);
    r_.results = value.empty() ? 0 : static_cast<unsigned char>(value[0]);
  } else if (fixed("%checkloopcount%")) {
    r_.results = r_.loopCounter;
  } else if (with("%checkmodule:")) {
    r_.results = FindPlugin(static_cast<unsigned int>(Number(arg))) != nullptr ? 1 : 0;
  } else if (with("%label:")) {
    // a jump target
  } else if (Starts("%goto:")) {
    const size_t from = at + 6;
    const long close = CloseOf(from);
    if (close < 0) return false;
    Goto(page_.substr(from, static_cast<size_t>(close) - from));
  } else if (fixed("%iftrue%")) {
    if (r_.results == 0) SkipToEndIf();
  } else if (fixed("%iffalse%")) {
    if (r_.results != 0) SkipToEndIf();
  } else if (with("%if(")) {
    IfCompare(arg);
  } else if (with("%if==")) {
    if (!(r_.results == Number(arg))) SkipToEndIf();
  } else if (with("%if!=")) {
    if (!(r_.results != Number(arg))) SkipToEndIf();
  } else if (with("%if>=")) {
    if (!(r_.results >= Number(arg))) SkipToEndIf();
  } else if (with("%if<=")) {
    if (!(r_.results <= Number(arg))) SkipToEndIf();
  } else if (with("%if>")) {
    if (!(r_.results > Number(arg))) SkipToEndIf();
  } else if (with("%if<")) {
    if (!(r_.results < Number(arg))) SkipToEndIf();
  } else if (fixed("%endif%")) {
    // the end of a condition
  } else if (Starts("%listrep%")) {
    ListDirective(kListRep);
  } else if (Starts("%listallrep%")) {
    ListDirective(kListAllRep);
  } else if (Starts("%listlog%")) {
    ListDirective(kListLog);
  } else if (Starts("%listmodule%")) {
    ListDirective(kListModule);
  } else if (fixed("%end%")) {
    EndDirective();
  } else {
    const int taken = OfferDirectiveToPlugins(page_.c_str() + at, &r_);
    if (taken <= 0) return false;
    const long last = static_cast<long>(page_.size()) - 1;
    pos_ = std::min(static_cast<long>(at) + taken, last);
  }
  return true;
}

// From pos_, past the "%endif%" that closes the current condition; every
// directive beginning "%if" opens one more.
void ScriptRun::SkipToEndIf() {
  int depth = 0;
  for (size_t at = static_cast<size_t>(pos_) + 1; at < page_.size(); ++at) {
    if (page_[at] != '%') continue;
    if (strncasecmp(page_.c_str() + at, "%endif%", 7) == 0) {
      if (depth == 0) {
        pos_ = static_cast<long>(at) + 6;
        return;
      }
      --depth;
      at += 6;
    } else if (strncasecmp(page_.c_str() + at, "%if", 3) == 0) {
      ++depth;
    }
  }
}

void ScriptRun::Goto(const std::string& label) {
  const std::string target = "%label:" + label + "%";
  for (size_t at = 0; at + target.size() <= page_.size(); ++at) {
    if (strncasecmp(page_.c_str() + at, target.c_str(), target.size()) != 0) continue;
    const long next = static_cast<long>(at + target.size());
    if (next <= pos_) ++jumps_;
    // Processing resumes at the second character after the label.
    pos_ = next;
    return;
  }
  // No such label: the name and its closing '%' are page text.
  pos_ += 5;
}

void ScriptRun::IfCompare(const std::string& inside) {
  const size_t opAt = inside.find_first_of("=!<>");
  std::string a = inside.substr(0, opAt);
  std::string op;
  std::string b;
  if (opAt != std::string::npos) {
    const size_t opEnd = inside.find_first_not_of("=!<>", opAt);
    op = inside.substr(opAt, opEnd == std::string::npos ? std::string::npos : opEnd - opAt);
    if (opEnd != std::string::npos) b = inside.substr(opEnd);
  }
  const size_t close = b.find(')');
  if (close != std::string::npos) b.resize(close);
  if (!a.empty() && a[0] == '?') a = r_.GetVarText(a.substr(1));
  if (!b.empty() && b[0] == '?') b = r_.GetVarText(b.substr(1));
  bool truth = false;
  if (op == "==") {
    truth = a == b;
  } else if (op == "!==") {
    truth = a != b;
  } else if (op == "=") {
    truth = Number(a) == Number(b);
  } else if (op == "!=") {
    truth = Number(a) != Number(b);
  } else if (op == ">") {
    truth = Number(a) > Number(b);
  } else if (op == "<") {
    truth = Number(a) < Number(b);
  }
  if (!truth) SkipToEndIf();
}

void ScriptRun::Redirect() {
  // The target is the rest of the line; it stays in the page as text.
  const size_t from = static_cast<size_t>(pos_) + 1;
  const size_t end = page_.find("\r\n", from);
  std::string target = page_.substr(from, end == std::string::npos ? std::string::npos : end - from);
  r_.status = target == "report" ? 11301 : 301;
  r_.ExpandRedirectTarget(&target);
  const size_t slash = r_.mappedPath.rfind('\\');
  std::string base = slash == std::string::npos ? std::string() : r_.mappedPath.substr(0, slash + 1);
  if (!target.empty() && (target[0] == '/' || target[0] == '\\') && !base.empty()) base.pop_back();
  r_.mappedPath = (base + target).substr(0, 259);
}

void ScriptRun::ListDirective(int kind) {
  const size_t at = static_cast<size_t>(pos_);
  const size_t nameEnd = page_.find('%', at + 1);
  r_.loopStart = static_cast<int32_t>(at) - 1;
  if (r_.loopCounter == 0 || !loopOpen_) {
    loopItems_.clear();
    loopCursor_ = 0;
    loopOpen_ = true;
    if (kind == kListRep) {
      std::vector<std::string> all;
      if (r_.haveUser && IsSafeComponent(r_.userName)) {
        WIN32_FIND_DATAA data;
        const std::string folder = std::string(r_.settings.usersFolder) + "\\" + r_.userName;
        HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
          do {
            if (data.cFileName[0] == '.') continue;
            LoopItem loopItem;
            loopItem.id = r_.userName + "\\" + data.cFileName;
            loopItem.text = data.cFileName;
            ReportStatus status;
            if (ReadReportStatus((folder + "\\" + data.cFileName).c_str(), &status)) loopItem.text = status.title;
            loopItems_.push_back(std::move(loopItem));
          } while (FindNextFileA(find, &data));
          FindClose(find);
        }
      }
    } else if (kind == kListAllRep) {
      // Everyone's reports are the administrator's to see.
      if (r_.haveUser && r_.user.admin) {
        std::vector<std::string> reports;
        ListReportFolders(r_.settings.usersFolder, &reports);
        for (const std::string& name : reports) {
          LoopItem loopItem;
          loopItem.id = name;
          loopItem.text = name;
          ReportStatus status;
          if (ReadReportStatus((std::string(r_.settings.usersFolder) + "\\" + name).c_str(), &status)) {
            loopItem.text = status.title;
          }
          loopItems_.push_back(std::move(loopItem));
        }
      }
    } else if (kind == kListLog) {
      for (const ProfileRowCopy& row : CopyProfileRows()) {
        LoopItem loopItem;
        loopItem.id = row.file;
        loopItem.text = row.description;
        loopItem.type = std::to_string(row.kind);
        loopItem.owner = row.owner;
        loopItem.setVariables = true;
        loopItems_.push_back(std::move(loopItem));
      }
    } else {
      for (PluginEntry* entry = g_pluginList; entry != nullptr; entry = entry->next) {
        LoopItem loopItem;
        loopItem.id = std::to_string(entry->kind);
        loopItem.text.assign(entry->name, strnlen(entry->name, sizeof entry->name));
        loopItem.type = loopItem.id;
        loopItem.setVariables = true;
        loopItems_.push_back(std::move(loopItem));
      }
    }
  }
  if (loopCursor_ < loopItems_.size()) {
    const LoopItem& next = loopItems_[loopCursor_++];
    itemId_ = next.id;
    itemText_ = next.text;
    logOwner_ = next.owner;
    if (next.setVariables) {
      r_.SetVar("ItemId", itemId_.c_str());
      r_.SetVar("ItemDesc", itemText_.c_str());
      r_.SetVar("ItemType", next.type.c_str());
    }
    pos_ = nameEnd == std::string::npos ? static_cast<long>(page_.size()) : static_cast<long>(nameEnd);
    return;
  }
  // Exhausted: on after the loop's "%end%".
  loopOpen_ = false;
  r_.loopCounter = 0;
  itemId_.clear();
  itemText_.clear();
  logOwner_.clear();
  for (size_t e = at + 1; e + 5 <= page_.size(); ++e) {
    if (strncasecmp(page_.c_str() + e, "%end%", 5) == 0) {
      pos_ = static_cast<long>(e) + 5;
      return;
    }
  }
  pos_ = static_cast<long>(page_.size());  // no end: the page ends here
}

void ScriptRun::EndDirective() {
  if (!loopOpen_) return;  // an end outside a loop does nothing
  ++jumps_;
  ++r_.loopCounter;
  pos_ = r_.loopStart;
}
