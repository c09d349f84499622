// The scripted SMTP server of the mail tests.
#include "smtp_test_server.h"

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace smtptest {
namespace {

constexpr auto kPatience = std::chrono::seconds(20);

std::string CommandWord(const std::string& line) {
  std::string word;
  for (char c : line) {
    if (c == ' ' || c == ':') break;
    word += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return word;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

}  // namespace

Server::Server(Script script) : script_(std::move(script)) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(listener_, reinterpret_cast<const sockaddr*>(&a), sizeof a);
  listen(listener_, 4);
  int length = sizeof a;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &length);
  port_ = ntohs(a.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

Server::~Server() {
  Release();
  closesocket(listener_);  // ends a pending accept
  thread_.join();
  WSACleanup();
}

void Server::Say(SOCKET client, const std::string& text) {
  send(client, text.data(), static_cast<int>(text.size()), 0);
  std::lock_guard<std::mutex> hold(lock_);
  for (const std::string& line : SplitLines(text)) transcript_.push_back("S: " + line);
}

bool Server::ReadLine(SOCKET client, std::string* line) {
  for (;;) {
    const size_t end = pending_.find("\r\n");
    if (end != std::string::npos) {
      *line = pending_.substr(0, end);
      pending_.erase(0, end + 2);
      return true;
    }
    char buffer[4096];
    const int n = recv(client, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    pending_.append(buffer, static_cast<size_t>(n));
  }
}

void Server::Serve() {
  SOCKET client = accept(listener_, nullptr, nullptr);
  if (client != INVALID_SOCKET) {
    if (script_.silent_after != "greeting") {
      Say(client, script_.greeting);
      bool silent = false;
      std::string line;
      bool in_data = false;
      while (ReadLine(client, &line)) {
        if (in_data) {
          if (line == ".") {
            in_data = false;
            std::unique_lock<std::mutex> hold(lock_);
            data_complete_ = true;
            changed_.notify_all();
            if (script_.hold_data_end) changed_.wait(hold, [&] { return released_; });
            hold.unlock();
            Say(client, script_.data_end_reply);
          } else {
            std::lock_guard<std::mutex> hold(lock_);
            data_ += line + "\r\n";
          }
          continue;
        }
        const std::string word = CommandWord(line);
        {
          std::lock_guard<std::mutex> hold(lock_);
          transcript_.push_back("C: " + line);
          ++commands_;
        }
        changed_.notify_all();
        if (silent) continue;
        if (word == script_.silent_after) {
          silent = true;
          continue;
        }
        auto found = script_.replies.find(word);
        const std::string reply = found != script_.replies.end() ? found->second : "500 what?\r\n";
        Say(client, reply);
        if (word == "DATA" && reply.rfind("354", 0) == 0) in_data = true;
        if (word == "QUIT") break;
      }
    } else {
      char buffer[256];
      while (recv(client, buffer, sizeof buffer, 0) > 0) {
      }
    }
    closesocket(client);
  }
  {
    std::lock_guard<std::mutex> hold(lock_);
    ended_ = true;
  }
  changed_.notify_all();
}

std::vector<std::string> Server::Transcript() {
  std::lock_guard<std::mutex> hold(lock_);
  return transcript_;
}

std::string Server::Data() {
  std::lock_guard<std::mutex> hold(lock_);
  return data_;
}

bool Server::WaitForCommands(size_t count) {
  std::unique_lock<std::mutex> hold(lock_);
  return changed_.wait_for(hold, kPatience, [&] { return commands_ >= count || ended_; });
}

bool Server::WaitForEnd() {
  std::unique_lock<std::mutex> hold(lock_);
  return changed_.wait_for(hold, kPatience, [&] { return ended_; });
}

bool Server::WaitForData() {
  std::unique_lock<std::mutex> hold(lock_);
  return changed_.wait_for(hold, kPatience, [&] { return data_complete_ || ended_; }) && data_complete_;
}

void Server::Release() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    released_ = true;
  }
  changed_.notify_all();
}

void WriteMailSettings(const std::string& path, const std::string& server,
                       const std::string& from, const std::string& reply_to,
                       const std::string& subject) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "[Defaults]\r\nListStart=0\r\n[Email]\r\n";
  out << "SMTPServer=" << server << "\r\n";
  if (!from.empty()) out << "From=" << from << "\r\n";
  if (!reply_to.empty()) out << "ReplyTo=" << reply_to << "\r\n";
  if (!subject.empty()) out << "Subject=" << subject << "\r\n";
}

std::string MakeTempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qv_smtp_XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return std::string();
  return pattern;
}

void RemoveTree(const std::string& path) {
  std::error_code ignored;
  if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

}  // namespace smtptest
