// Tests only: a plug-in in a temporary directory with an engine whose clock,
// test and alert channels the test drives, and a reader of the status log.
#pragma once

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "alert_plugin.h"
#include "monitor_engine.h"
#include "qv_logstat.h"
#include "test_files.h"

namespace enginetest {

using Entry = std::vector<std::pair<long, std::string>>;

inline std::vector<Entry> ReadLog(const std::string& path) {
  std::vector<Entry> entries;
  HQVLSREADER reader = QVLS_LogStatusFileStartup(path.c_str());
  QVLS_ENTRY_FIELD* fields = nullptr;
  int count = 0;
  while (QVLS_ReadEntryFromLogStatusFile(reader, &fields, &count) == 1) {
    Entry entry;
    for (int n = 0; n < count; ++n) entry.emplace_back(fields[n].type, fields[n].text);
    entries.push_back(entry);
    QVLS_FreeEntry(fields);
  }
  QVLS_LogStatusFileCleanup(reader);
  return entries;
}

// The text of the first field of a type, or "(none)".
inline std::string FieldText(const Entry& entry, long type) {
  for (const auto& [kind, text] : entry) {
    if (kind == type) return text;
  }
  return "(none)";
}

inline std::vector<long> FieldTypes(const Entry& entry) {
  std::vector<long> types;
  for (const auto& field : entry) types.push_back(field.first);
  return types;
}

// Results handed out in order; once they run out, "up".
class ScriptedProbe {
 public:
  void Push(int result, const std::string& message = "") {
    std::lock_guard<std::mutex> lock(m_lock);
    m_script.emplace_back(result, message);
  }
  int Run(const ProbeTarget& target, std::string& message) {
    std::lock_guard<std::mutex> lock(m_lock);
    targets.push_back(target);
    if (m_script.empty()) return 1;
    auto [result, text] = m_script.front();
    m_script.pop_front();
    if (!text.empty()) message = text;
    return result;
  }
  size_t Calls() {
    std::lock_guard<std::mutex> lock(m_lock);
    return targets.size();
  }
  std::vector<ProbeTarget> targets;

 private:
  std::mutex m_lock;
  std::deque<std::pair<int, std::string>> m_script;
};

// Workers raise alerts at the same time: the record is kept under a lock.
class RecordingDispatch : public AlertDispatch {
 public:
  std::vector<std::string> ChannelFields(const CMonitorProfile&) override {
    std::lock_guard<std::mutex> lock(m_lock);
    return channels;
  }
  void Queue(const CMonitorProfile& profile, const AlertFacts& facts) override {
    std::lock_guard<std::mutex> lock(m_lock);
    queued.push_back(std::string(profile.GetDescription()) + (facts.up ? " up " : " down ") + facts.host + " " +
                     facts.kindName);
  }
  std::vector<std::string> channels;
  std::vector<std::string> queued;

 private:
  std::mutex m_lock;
};

inline std::string ProfileText(const std::string& description, const std::string& monitor) {
  return "[Profile]\nDescription=" + description + "\nMajorVersion=1\nMinorVersion=1\n[Monitor]\n" + monitor;
}

}  // namespace enginetest
