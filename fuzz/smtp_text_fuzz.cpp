// The text of a mail: address lists, the body on the wire and in
// quoted-printable, and the whole message.
//
// Properties: addresses are trimmed input pieces; the wire body and the whole
// message have CR LF lines only, none of them a lone "." (which would end the
// message early) and none longer than a transport line; undoing the dot
// stuffing or the quoted-printable gives back the body's lines.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "smtp_text.h"

namespace {

// The body's lines as the mail code defines them: CR LF, LF and CR each end one.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.push_back(line);
      line.clear();
      open = false;
    } else {
      line += text[i];
      open = true;
    }
  }
  if (open) lines.push_back(line);
  return lines;
}

// Splits wire text into its lines, checking that each ends in CR LF.
// A lone "." is checked for in text that goes out as it is.
std::vector<std::string> WireLines(const std::string& wire, size_t longest, bool goes_out = true) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < wire.size()) {
    const size_t end = wire.find("\r\n", at);
    FUZZ_CHECK(end != std::string::npos);
    std::string line = wire.substr(at, end - at);
    FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
    if (goes_out) FUZZ_CHECK(line != ".");
    FUZZ_CHECK(line.size() <= longest);
    lines.push_back(std::move(line));
    at = end + 2;
  }
  return lines;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 32 * 1024) return 0;
  const std::string input(qvfuzz::Bytes(data, size));

  const std::string list = qvfuzz::CString(input);
  for (const std::string& address : qvui::smtp::SplitAddresses(list.c_str())) {
    FUZZ_CHECK(!address.empty() && address.find_first_of(";,") == std::string::npos);
    FUZZ_CHECK(address.front() != ' ' && address.back() != ' ' && list.find(address) != std::string::npos);
  }

  // The wire body, with the stuffed dots taken off again, has the body's lines.
  std::vector<std::string> lines = WireLines(qvui::smtp::WireBody(input), std::string::npos);
  for (std::string& line : lines) {
    if (!line.empty() && line[0] == '.') line.erase(0, 1);
  }
  FUZZ_CHECK(lines == Lines(input));

  // Quoted-printable: short printable lines that decode to the body's lines.
  const std::string qp = qvui::smtp::QuotedPrintable(input);
  std::vector<std::string> decoded(1);
  for (const std::string& line : WireLines(qp, 76, false)) {
    for (unsigned char c : line) FUZZ_CHECK((c >= 32 && c <= 126) || c == '\t');
    std::string text = line;
    const bool soft = !text.empty() && text.back() == '=';  // '=' itself is always written =3D
    if (soft) text.pop_back();
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '=') {
        FUZZ_CHECK(i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0);
        decoded.back() += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
        i += 2;
      } else {
        decoded.back() += text[i];
      }
    }
    if (!soft) decoded.emplace_back();
  }
  decoded.pop_back();
  FUZZ_CHECK(decoded == Lines(input));

  // The whole message, with usable addresses and subject.
  qvui::smtp::Message message;
  message.from = "monitor@client.test";
  message.reply_to = "admin@client.test";
  for (const std::string& address : qvui::smtp::SplitAddresses(list.c_str())) {
    if (qvui::smtp::IsUsableAddress(address)) message.recipients.push_back(address);
  }
  if (message.recipients.empty()) message.recipients.push_back("one@server.test");
  message.subject = list.substr(0, 2000);
  if (!qvui::smtp::IsUsableHeaderValue(message.subject)) message.subject = "Status";
  message.body = input;
  message.message_id = "<1.2@client.test>";
  message.date = 86400;
  WireLines(qvui::smtp::WireMessage(message), 998);
  return 0;
}
