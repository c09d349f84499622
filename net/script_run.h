// The interpreter of the server's script pages: HTML text with directives
// between '%' signs, run on the page's request.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qvplatform.h"
#include "server_request.h"

inline constexpr size_t kScriptPageMax = 20480;

// Bounds of one page run: a page that jumps back more often, or runs longer,
// stops there (what it has produced so far is sent).
struct ScriptBudget {
  uint64_t backwardJumps = 100000;
  uint64_t milliseconds = 30000;
};

// Runs the open page file (the marker line included) on the request.
void RunScriptPage(ServerRequest* request, HANDLE file);
// Runs page text on the request; the same as above after the file is read.
void RunScriptText(ServerRequest* request, const std::string& page, const ScriptBudget& budget = {});

// One page run's state; the directives that act on the world are in
// script_actions.cpp.
class ScriptRun {
 public:
  ScriptRun(ServerRequest* request, const std::string& page, const ScriptBudget& budget);
  void Run();

  // Directives with effects outside the page (script_actions.cpp).
  void LogOn();
  void ViewReport();
  void CheckReport();
  void DeleteReport();
  void LoadOptRemote();
  void SaveOptRemote();
  void LoadOptEMail();
  void SaveOptEMail();
  void LoadOptProxy();
  void SaveOptProxy();
  int CheckOwner(const std::string& ownerText) const;

 private:
  struct LoopItem {
    std::string id;
    std::string text;
    std::string type;
    std::string owner;
    bool setVariables = false;
  };

  bool Step();
  void Flush();
  void Value(const std::string& text);
  bool Starts(const char* prefix) const;
  long CloseOf(size_t from) const;  // the index of the next '%' from `from`, or -1
  void SkipToEndIf();
  void Goto(const std::string& label);
  void ListDirective(int kind);
  void EndDirective();
  void Redirect();
  void IfCompare(const std::string& inside);
  bool ReportAllowed(const std::string& name);
  void ReportUnreadable(const std::string& name);
  std::string ReportFolder(const std::string& name) const;

  ServerRequest& r_;
  std::string page_;
  long pos_ = 0;
  std::string out_;
  int32_t counter_ = 0;
  std::string itemId_;
  std::string itemText_;
  std::string logOwner_;
  bool stop_ = false;
  ScriptBudget budget_;
  uint64_t jumps_ = 0;
  uint64_t started_ = 0;
  // The loop: one per page, its source's elements and cursor.
  bool loopOpen_ = false;
  std::vector<LoopItem> loopItems_;
  size_t loopCursor_ = 0;
};
