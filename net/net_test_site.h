// Tests only: a program folder of the test's own with a web root and a users
// folder, the server's settings block for it, and a request whose answer is
// kept in a text.
#pragma once

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "server_globals.h"
#include "server_request.h"
#include "test_dir.h"

class TestSite {
 public:
  TestSite() {
    std::filesystem::create_directories(dir_.path() / "wwwroot");
    std::filesystem::create_directories(dir_.path() / "Reports" / "Remote Reports" / "users");
    std::memset(&settings, 0, sizeof settings);
    std::snprintf(settings.programDir, sizeof settings.programDir, "%s", dir_.dir().c_str());
    std::snprintf(settings.iniPath, sizeof settings.iniPath, "%sQUORVANE.INI", dir_.dir().c_str());
    std::snprintf(settings.webRoot, sizeof settings.webRoot, "%swwwroot", dir_.dir().c_str());
    std::snprintf(settings.usersFolder, sizeof settings.usersFolder, "%sReports\\Remote Reports\\users",
                  dir_.dir().c_str());
    std::snprintf(settings.webEnable, sizeof settings.webEnable, "TRUE");
  }

  std::filesystem::path Root() const { return dir_.path(); }
  std::filesystem::path Web() const { return dir_.path() / "wwwroot"; }
  std::filesystem::path Users() const { return dir_.path() / "Reports" / "Remote Reports" / "users"; }

  static void Write(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
  }

  // A "status.rep" of `bytes` bytes (at least the fixed part).
  static std::string StatusBytes(const std::string& title, uint16_t status, const std::string& message,
                                 uint64_t fileTime, const std::string& format) {
    std::string bytes(415, '\0');
    std::memcpy(bytes.data(), title.data(), std::min<size_t>(title.size(), 100));
    bytes[101] = static_cast<char>(status & 0xff);
    bytes[102] = static_cast<char>(status >> 8);
    std::memcpy(bytes.data() + 103, message.data(), std::min<size_t>(message.size(), 303));
    for (int i = 0; i < 8; ++i) bytes[407 + i] = static_cast<char>(fileTime >> (8 * i));
    return bytes + format;
  }

  void Report(const std::string& user, const std::string& report, uint16_t status, uint64_t fileTime = 0,
              const std::string& title = "A report", const std::string& format = "0") const {
    Write(Users() / user / report / "status.rep", StatusBytes(title, status, "a message", fileTime, format));
    Write(Users() / user / report / "rep.htm", "<p>report</p>");
  }

  // A request on this site; its answer collects in `answer`.
  std::unique_ptr<ServerRequest> Request(uint32_t client = 0x0100007f) {
    return std::make_unique<ServerRequest>(settings, [this](const char* b, size_t n) { answer.append(b, n); },
                                           client, "127.0.0.1:8080");
  }
  // Parses and answers one request head.
  std::string Serve(const std::string& head, const std::string& body = {}) {
    answer.clear();
    auto request = Request();
    request->Parse(head, body);
    request->Respond();
    return answer;
  }

  RemoteServerSettings settings;
  std::string answer;

 private:
  TestDir dir_;
};

inline std::string Get(const std::string& url, const std::string& host = "test.host") {
  return "GET " + url + " HTTP/1.0\r\nHost: " + host + "\r\n";
}
