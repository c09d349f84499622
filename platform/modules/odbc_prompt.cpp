// The ODBC driver manager of this system (unixODBC) has no dialogs: a
// connection asked for with SQL_DRIVER_PROMPT goes through the layer's prompt
// interface instead, which offers the data sources the driver manager knows
// and answers with the connection string the user chose.
#include <algorithm>
#include <cctype>
#include <vector>
#include <cstring>
#include <mutex>
#include <string>

#include "modules/module_table.h"
#include "ui/data_source_screen.h"
#include "ui/prompt.h"

namespace qvp::modules {
namespace {

using Handle = void*;
using Return = short;
constexpr Return kSuccess = 0;
constexpr Return kSuccessWithInfo = 1;
constexpr Return kError = -1;
constexpr Return kNoData = 100;
constexpr unsigned short kNoPrompt = 0;
constexpr unsigned short kPrompt = 2;
constexpr short kHandleEnv = 1;
constexpr short kFetchFirst = 2;
constexpr short kFetchNext = 1;
constexpr int kAttrOdbcVersion = 200;
constexpr short kNts = -3;

using DriverConnectFn = Return (*)(Handle, void*, const unsigned char*, short, unsigned char*, short, short*,
                                   unsigned short);
using AllocHandleFn = Return (*)(short, Handle, Handle*);
using SetEnvAttrFn = Return (*)(Handle, int, void*, int);
using DataSourcesFn = Return (*)(Handle, unsigned short, unsigned char*, short, short*, unsigned char*, short,
                                 short*);
using FreeHandleFn = Return (*)(short, Handle);

struct OdbcCalls {
  DriverConnectFn driverConnect = nullptr;
  AllocHandleFn allocHandle = nullptr;
  SetEnvAttrFn setEnvAttr = nullptr;
  DataSourcesFn dataSources = nullptr;
  FreeHandleFn freeHandle = nullptr;
};

std::mutex g_lock;
OdbcCalls g_calls;  // set once the driver manager is loaded; it stays loaded

template <class F>
F Symbol(const Module& module, const char* name) {
  return reinterpret_cast<F>(OwnSymbol(module, name));
}

OdbcCalls Calls() {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_calls;
}

bool Ok(Return r) { return r == kSuccess || r == kSuccessWithInfo; }

// The "KEY=value" attributes of a connection string. A value that begins
// with '{' runs to its closing '}' ("}}" is a brace inside it) and may hold
// ';'; pieces without '=' are dropped.
std::vector<std::string> Attributes(const std::string& text) {
  std::vector<std::string> attributes;
  size_t at = 0;
  while (at < text.size()) {
    const size_t equals = text.find('=', at);
    const size_t semicolon = text.find(';', at);
    if (equals == std::string::npos || (semicolon != std::string::npos && semicolon < equals)) {
      if (semicolon == std::string::npos) break;
      at = semicolon + 1;
      continue;
    }
    size_t end = equals + 1;
    if (end < text.size() && text[end] == '{') {
      for (++end; end < text.size(); ++end) {
        if (text[end] != '}') continue;
        if (end + 1 < text.size() && text[end + 1] == '}') {
          ++end;
          continue;
        }
        ++end;
        break;
      }
    }
    end = text.find(';', end);
    if (end == std::string::npos) end = text.size();
    attributes.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return attributes;
}

std::string KeyOf(const std::string& attribute) { return attribute.substr(0, attribute.find('=')); }

bool SameKey(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

// The driver's completed string with what the user chose in place of the
// driver's own reading of it: a driver may drop an attribute (one without
// accounts drops UID) or cut a braced value at its ';'.
std::string MergeChoice(const std::string& completed, const std::string& chosen) {
  const std::vector<std::string> choice = Attributes(chosen);
  std::vector<bool> used(choice.size(), false);
  std::string merged;
  auto add = [&merged](const std::string& attribute) {
    if (!merged.empty()) merged += ';';
    merged += attribute;
  };
  for (const std::string& attribute : Attributes(completed)) {
    size_t i = 0;
    while (i < choice.size() && !SameKey(KeyOf(choice[i]), KeyOf(attribute))) ++i;
    if (i < choice.size()) {
      if (!used[i]) add(choice[i]);
      used[i] = true;
    } else {
      add(attribute);
    }
  }
  for (size_t i = 0; i < choice.size(); ++i) {
    if (!used[i]) add(choice[i]);
  }
  return merged;
}

// "name - driver" for each data source the driver manager knows.
std::string DataSourceList(const OdbcCalls& calls) {
  if (!calls.allocHandle || !calls.setEnvAttr || !calls.dataSources || !calls.freeHandle) return {};
  Handle env = nullptr;
  if (!Ok(calls.allocHandle(kHandleEnv, nullptr, &env))) return {};
  std::string list;
  if (Ok(calls.setEnvAttr(env, kAttrOdbcVersion, reinterpret_cast<void*>(3), 0))) {
    unsigned char name[256], driver[256];
    short nameLength = 0, driverLength = 0;
    for (unsigned short direction = kFetchFirst;
         Ok(calls.dataSources(env, direction, name, sizeof name, &nameLength, driver, sizeof driver, &driverLength));
         direction = kFetchNext) {
      list += reinterpret_cast<const char*>(name);
      list += " - ";
      list += reinterpret_cast<const char*>(driver);
      list += '\n';
    }
  }
  calls.freeHandle(kHandleEnv, env);
  return list;
}

Return DriverConnect(Handle connection, void* window, const unsigned char* in, short inLength, unsigned char* out,
                     short outMax, short* outLength, unsigned short completion) {
  const OdbcCalls calls = Calls();
  if (!calls.driverConnect) return kError;
  if (completion != kPrompt) {
    // Completing a string needs no dialog the driver manager would show here.
    return calls.driverConnect(connection, window, in, inLength, out, outMax, outLength, kNoPrompt);
  }
  if (window == nullptr) return kError;  // prompting needs a parent window
  PromptRecord record;
  record.kind = PromptKind::kDataSource;
  record.owner = static_cast<HWND>(window);
  record.caption = "Select Data Source";
  record.text = DataSourceList(calls);
  PromptAnswer fallback;
  fallback.result = IDCANCEL;
  const auto onScreen = [&record] {
    return ui::ShowDataSourceChooserOnScreen(record.owner, record.caption, record.text);
  };
  const PromptAnswer answer = ui::AskPrompt(
      record, fallback, [](PromptAnswer& a) { return a.result == IDCANCEL || (a.result == IDOK && !a.text.empty()); },
      onScreen);
  if (answer.result != IDOK) return kNoData;
  const auto* chosen = reinterpret_cast<const unsigned char*>(answer.text.c_str());
  short length = 0;
  const Return result = calls.driverConnect(connection, window, chosen, kNts, out, outMax, &length, kNoPrompt);
  if (Ok(result) && out != nullptr && outMax > 0) {
    const std::string completed =
        MergeChoice(length > 0 ? std::string(reinterpret_cast<char*>(out)) : std::string(), answer.text);
    if (completed.size() < static_cast<size_t>(outMax)) {
      std::memcpy(out, completed.c_str(), completed.size() + 1);
      length = static_cast<short>(completed.size());
    }
  }
  if (outLength != nullptr) *outLength = length;
  return result;
}

}  // namespace

void* OdbcPromptingExport(const Module& module, const char* name) {
  if (name == nullptr || std::strcmp(name, "SQLDriverConnect") != 0 || module.name != "ODBC32.DLL") return nullptr;
  OdbcCalls calls;
  calls.driverConnect = Symbol<DriverConnectFn>(module, "SQLDriverConnect");
  if (!calls.driverConnect) return nullptr;
  calls.allocHandle = Symbol<AllocHandleFn>(module, "SQLAllocHandle");
  calls.setEnvAttr = Symbol<SetEnvAttrFn>(module, "SQLSetEnvAttr");
  calls.dataSources = Symbol<DataSourcesFn>(module, "SQLDataSources");
  calls.freeHandle = Symbol<FreeHandleFn>(module, "SQLFreeHandle");
  {
    std::lock_guard<std::mutex> guard(g_lock);
    g_calls = calls;
  }
  return reinterpret_cast<void*>(&DriverConnect);
}

}  // namespace qvp::modules
