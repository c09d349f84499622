// The scripted SMTP server of the mail tests.
#include "scripted_smtp.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace qvtest {
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

SmtpServer::SmtpServer(SmtpScript script)
    : script_(std::move(script)), server_([this](int client) {
        Serve(client);
        return false;  // one connection
      }) {}

void SmtpServer::Say(int client, const std::string& text) {
  SendAll(client, text);
  std::lock_guard<std::mutex> hold(lock_);
  for (const std::string& line : SplitLines(text)) transcript_.push_back("S: " + line);
}

bool SmtpServer::ReadLine(int client, std::string* line) {
  for (;;) {
    const size_t end = pending_.find("\r\n");
    if (end != std::string::npos) {
      *line = pending_.substr(0, end);
      pending_.erase(0, end + 2);
      return true;
    }
    char buffer[4096];
    const ssize_t n = recv(client, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    pending_.append(buffer, static_cast<size_t>(n));
  }
}

void SmtpServer::Serve(int client) {
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
  close(client);
  {
    std::lock_guard<std::mutex> hold(lock_);
    ended_ = true;
  }
  changed_.notify_all();
}

std::vector<std::string> SmtpServer::Transcript() {
  std::lock_guard<std::mutex> hold(lock_);
  return transcript_;
}

std::string SmtpServer::Data() {
  std::lock_guard<std::mutex> hold(lock_);
  return data_;
}

bool SmtpServer::WaitForCommands(size_t count) {
  std::unique_lock<std::mutex> hold(lock_);
  return changed_.wait_for(hold, kPatience, [&] { return commands_ >= count || ended_; });
}

bool SmtpServer::WaitForEnd() {
  std::unique_lock<std::mutex> hold(lock_);
  return changed_.wait_for(hold, kPatience, [&] { return ended_; });
}

bool SmtpServer::WaitForData() {
  std::unique_lock<std::mutex> hold(lock_);
  return changed_.wait_for(hold, kPatience, [&] { return data_complete_ || ended_; }) && data_complete_;
}

void SmtpServer::Release() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    released_ = true;
  }
  changed_.notify_all();
}

}  // namespace qvtest
