// One request of the remote report server: its text, variables and mapping,
// the response header and the serving of plain files. Script pages run on
// the same object (script_run.h). Every byte of the request is the client's
// and is treated as hostile: the URL is decoded once before it is mapped,
// the mapped file must lie under its root, and nothing of the request reaches
// a header line unchecked.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "remote_request.h"
#include "remote_users.h"
#include "server_globals.h"

class ServerRequest final : public RemoteRequest {
 public:
  // send: writes bytes to the client (the socket, or a test's capture).
  using Sender = std::function<void(const char*, size_t)>;

  ServerRequest(const RemoteServerSettings& settings, Sender send, uint32_t clientAddress = 0,
                std::string listenAddress = "127.0.0.1");

  void GetParam(const char* name, char* out, int outSize) override;
  void GetVarInt(const char* name, int32_t* out) override;
  void GetVar(const char* name, char* out, int outSize) override;
  void SetVarInt(const char* name, int32_t value) override;
  void SetVar(const char* name, const char* value) override;

  // Takes the request's head (cut at its blank line, at most 2048 bytes) and
  // a posted body (at most 2048 bytes). 0.
  int Parse(const std::string& head, const std::string& body = {});
  void Respond();
  void SendResponseHeader();
  void ExpandRedirectTarget(std::string* text);
  void Send(const std::string& bytes) { if (!bytes.empty()) send_(bytes.data(), bytes.size()); }

  std::string GetVarText(const std::string& name) const;
  std::string GetParamText(const std::string& name) const;

  // The request's state, read and written by the script run.
  uint16_t status = 0;
  std::string query;
  std::string host;
  std::string mappedPath;
  bool underUsers = false;  // the mapped path is in the users folder
  std::string item;
  std::string userName;
  uint32_t userId = 0;
  uint32_t moduleId = 0;
  int32_t results = 0;
  int32_t loopStart = 0;
  int32_t loopCounter = 0;
  std::string errorText;
  bool haveUser = false;  // `user` is the logged-on user the request names
  RemoteUser user;
  uint32_t clientAddress;
  std::string method;
  std::string form;  // a posted form body
  const RemoteServerSettings settings;

  // Tick count for the texts of the headers (tests fix it).
  uint64_t Now() const;

 private:
  void MapUrl(const std::string& rawPath);
  void ReadQueryKeys();
  std::string SafeHost() const;

  Sender send_;
  std::string listenAddress_;
  std::vector<std::pair<std::string, std::string>> vars_;
};

// In place: '%' and two hexadecimal digits read as that byte, '+' as a blank.
void UrlDecode(std::string* text);
// A URL path decoded once (only "%XX"); false when a '%' is not followed by
// two hexadecimal digits.
bool DecodePath(const std::string& raw, std::string* out);
// The request's date line text for a moment, in the local zone.
std::string HttpDate(int64_t unixSeconds);
// Bytes that may not stand in a header line (controls, blanks, quotes,
// non-ASCII) percent-encoded.
std::string EncodeForHeader(const std::string& text);
// The text with & < > " ' replaced by their character references.
std::string HtmlEscape(const std::string& text);
