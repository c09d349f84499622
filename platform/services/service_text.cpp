// The service database's records and their text form.
#include <strings.h>

#include <cstdio>
#include <cstdlib>

#include "services/service_db.h"

namespace qvp::services {
namespace {

std::string Escape(std::string_view value) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    const auto b = static_cast<unsigned char>(c);
    if (b == '%' || b < 0x20 || b > 0x7e) {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0xf];
    } else {
      out += c;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Unescape(std::string_view text, std::string* out) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      *out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int hi = HexDigit(text[i + 1]);
    const int lo = HexDigit(text[i + 2]);
    if (hi < 0 || lo < 0) return false;
    *out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return true;
}

bool ParseNumber(const std::string& text, uint64_t* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  *value = std::strtoull(text.c_str(), &end, 10);
  return end != nullptr && *end == '\0';
}

bool ParseDword(const std::string& text, DWORD* value) {
  uint64_t v = 0;
  if (!ParseNumber(text, &v) || v > 0xFFFFFFFFull) return false;
  *value = static_cast<DWORD>(v);
  return true;
}

// "pid,start" or "pid,start,count".
bool ParseProcess(const std::string& text, ProcessRef* process, uint32_t* count) {
  unsigned long long pid = 0, start = 0, n = 0;
  int used = 0;
  if (count != nullptr) {
    if (std::sscanf(text.c_str(), "%llu,%llu,%llu%n", &pid, &start, &n, &used) != 3) return false;
    *count = static_cast<uint32_t>(n);
  } else if (std::sscanf(text.c_str(), "%llu,%llu%n", &pid, &start, &used) != 2) {
    return false;
  }
  if (static_cast<size_t>(used) != text.size()) return false;
  process->pid = static_cast<int>(pid);
  process->start = start;
  return true;
}

bool Same(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

SERVICE_STATUS ServiceRecord::Status() const {
  SERVICE_STATUS s{};
  s.dwServiceType = type;
  s.dwCurrentState = state;
  s.dwControlsAccepted = controls_accepted;
  s.dwWin32ExitCode = win32_exit_code;
  s.dwServiceSpecificExitCode = service_exit_code;
  s.dwCheckPoint = check_point;
  s.dwWaitHint = wait_hint;
  return s;
}

SERVICE_STATUS ServiceRecord::Answer(bool* changed) {
  const SERVICE_STATUS shown = Status();
  if (FollowsSimulatedSteps() && settles_to != 0) {
    const DWORD settled = settles_to;
    if (settled == SERVICE_STOPPED) {
      MarkStopped(0);
    } else {
      state = settled;
      settles_to = 0;
      check_point = 0;
      wait_hint = 0;
      controls_accepted = SERVICE_ACCEPT_STOP;
    }
    *changed = true;
  }
  return shown;
}

void ServiceRecord::BeginSteps(DWORD pending, DWORD settled) {
  state = pending;
  settles_to = settled;
  controls_accepted = 0;
  win32_exit_code = 0;
  service_exit_code = 0;
  check_point = 1;
  wait_hint = 1000;
}

void ServiceRecord::MarkStopped(DWORD exit_code) {
  state = SERVICE_STOPPED;
  controls_accepted = 0;
  win32_exit_code = exit_code;
  check_point = 0;
  wait_hint = 0;
  settles_to = 0;
  process = ProcessRef{};
  token.clear();
  connected = false;
  no_process = false;
}

ServiceRecord* Database::Find(std::string_view name) {
  for (ServiceRecord& r : services) {
    if (Same(r.name, name)) return &r;
  }
  return nullptr;
}

ServiceRecord* Database::FindByDisplayName(std::string_view display_name) {
  for (ServiceRecord& r : services) {
    if (Same(r.display_name, display_name)) return &r;
  }
  return nullptr;
}

ServiceRecord* Database::FindSerial(uint64_t serial) {
  for (ServiceRecord& r : services) {
    if (r.serial == serial) return &r;
  }
  return nullptr;
}

std::string FormatDatabase(const Database& db) {
  std::string out = "# Service database of the Quorvane platform layer\n";
  out += "next-serial=" + std::to_string(db.next_serial) + "\n";
  auto put = [&out](const char* key, const std::string& value) {
    out += key;
    out += '=';
    out += Escape(value);
    out += '\n';
  };
  auto num = [&out](const char* key, uint64_t value) {
    out += key;
    out += '=';
    out += std::to_string(value);
    out += '\n';
  };
  for (const ServiceRecord& r : db.services) {
    out += "\n[service]\n";
    num("serial", r.serial);
    put("name", r.name);
    put("display", r.display_name);
    num("type", r.type);
    num("start", r.start_type);
    num("error-control", r.error_control);
    put("binary", r.binary_path);
    put("group", r.load_order_group);
    for (const std::string& d : r.dependencies) put("dependency", d);
    put("account", r.account);
    put("password", r.password);
    num("tag", r.tag_id);
    num("simulated", r.simulated ? 1 : 0);
    num("marked-for-delete", r.marked_for_delete ? 1 : 0);
    num("state", r.state);
    num("controls", r.controls_accepted);
    num("exit-code", r.win32_exit_code);
    num("service-exit-code", r.service_exit_code);
    num("check-point", r.check_point);
    num("wait-hint", r.wait_hint);
    num("settles-to", r.settles_to);
    if (r.process.pid != 0) {
      out += "process=" + std::to_string(r.process.pid) + "," + std::to_string(r.process.start) + "\n";
    }
    put("token", r.token);
    num("connected", r.connected ? 1 : 0);
    num("no-process", r.no_process ? 1 : 0);
    for (const HandleCount& h : r.handles) {
      out += "handles=" + std::to_string(h.process.pid) + "," + std::to_string(h.process.start) + "," +
             std::to_string(h.count) + "\n";
    }
  }
  return out;
}

bool ParseDatabase(const std::string& text, Database* db, std::string* error) {
  Database parsed;
  ServiceRecord* current = nullptr;
  size_t line_no = 0;
  size_t pos = 0;
  auto fail = [&](const std::string& why) {
    *error = "line " + std::to_string(line_no) + ": " + why;
    return false;
  };
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line == "[service]") {
      parsed.services.emplace_back();
      current = &parsed.services.back();
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) return fail("no '='");
    const std::string key = line.substr(0, eq);
    std::string value;
    if (!Unescape(std::string_view(line).substr(eq + 1), &value)) return fail("bad escape");
    if (current == nullptr) {
      if (key == "next-serial") {
        if (!ParseNumber(value, &parsed.next_serial)) return fail("bad number");
      }
      continue;
    }
    ServiceRecord& r = *current;
    bool ok = true;
    uint64_t n = 0;
    if (key == "serial") {
      ok = ParseNumber(value, &r.serial);
    } else if (key == "name") {
      r.name = value;
    } else if (key == "display") {
      r.display_name = value;
    } else if (key == "type") {
      ok = ParseDword(value, &r.type);
    } else if (key == "start") {
      ok = ParseDword(value, &r.start_type);
    } else if (key == "error-control") {
      ok = ParseDword(value, &r.error_control);
    } else if (key == "binary") {
      r.binary_path = value;
    } else if (key == "group") {
      r.load_order_group = value;
    } else if (key == "dependency") {
      r.dependencies.push_back(value);
    } else if (key == "account") {
      r.account = value;
    } else if (key == "password") {
      r.password = value;
    } else if (key == "tag") {
      ok = ParseDword(value, &r.tag_id);
    } else if (key == "simulated") {
      ok = ParseNumber(value, &n);
      r.simulated = n != 0;
    } else if (key == "marked-for-delete") {
      ok = ParseNumber(value, &n);
      r.marked_for_delete = n != 0;
    } else if (key == "state") {
      ok = ParseDword(value, &r.state);
    } else if (key == "controls") {
      ok = ParseDword(value, &r.controls_accepted);
    } else if (key == "exit-code") {
      ok = ParseDword(value, &r.win32_exit_code);
    } else if (key == "service-exit-code") {
      ok = ParseDword(value, &r.service_exit_code);
    } else if (key == "check-point") {
      ok = ParseDword(value, &r.check_point);
    } else if (key == "wait-hint") {
      ok = ParseDword(value, &r.wait_hint);
    } else if (key == "settles-to") {
      ok = ParseDword(value, &r.settles_to);
    } else if (key == "process") {
      ok = ParseProcess(value, &r.process, nullptr);
    } else if (key == "token") {
      r.token = value;
    } else if (key == "connected") {
      ok = ParseNumber(value, &n);
      r.connected = n != 0;
    } else if (key == "no-process") {
      ok = ParseNumber(value, &n);
      r.no_process = n != 0;
    } else if (key == "handles") {
      HandleCount h;
      ok = ParseProcess(value, &h.process, &h.count);
      if (ok) r.handles.push_back(h);
    }
    if (!ok) return fail("bad value for " + key);
  }
  for (const ServiceRecord& r : parsed.services) {
    if (r.name.empty()) {
      *error = "a service without a name";
      return false;
    }
    if (r.serial >= parsed.next_serial) parsed.next_serial = r.serial + 1;
  }
  *db = std::move(parsed);
  return true;
}

}  // namespace qvp::services
