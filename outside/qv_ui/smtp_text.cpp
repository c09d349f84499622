// Address lists, headers and body of a mail as they go over the wire.
#include "smtp_text.h"

#include <cstdio>
#include <random>

namespace qvui::smtp {
namespace {

constexpr char kCrLf[] = "\r\n";
constexpr size_t kMaxWireLine = 998;  // characters of a transport line before CR LF
constexpr size_t kQpLine = 76;        // characters of a quoted-printable line

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// The lines of a text: CR LF, a bare LF and a bare CR each end one. A text
// ending in a line break has no empty last line; an empty text has none.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.push_back(line);
      line.clear();
      open = false;
      continue;
    }
    line += c;
    open = true;
  }
  if (open) lines.push_back(line);
  return lines;
}

// Lines joined with CR LF, each line beginning with '.' given one more.
std::string DotStuffed(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) {
    if (!line.empty() && line[0] == '.') out += '.';
    out += line;
    out += kCrLf;
  }
  return out;
}

bool HasHighCharacter(const std::string& text) {
  for (unsigned char c : text) {
    if (c > 127) return true;
  }
  return false;
}

std::string Hex2(unsigned char c) {
  static const char kDigits[] = "0123456789ABCDEF";
  return std::string{'=', kDigits[c >> 4], kDigits[c & 15]};
}

std::string Base64(const std::string& bytes) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                       (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                       static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  if (i < bytes.size()) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    const bool two = i + 1 < bytes.size();
    if (two) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += two ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

// One body line in quoted-printable, soft-broken into lines of at most 76.
void QuotedPrintableLine(const std::string& line, std::vector<std::string>* out) {
  std::string current;
  for (size_t i = 0; i < line.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    const bool last = i + 1 == line.size();
    std::string piece;
    if ((c >= 33 && c <= 126 && c != '=') || (IsBlank(static_cast<char>(c)) && !last)) {
      piece = std::string(1, static_cast<char>(c));
    } else {
      piece = Hex2(c);
    }
    // Room for the piece and, unless this is the end of the line, a soft break.
    const size_t limit = last ? kQpLine : kQpLine - 1;
    if (current.size() + piece.size() > limit) {
      out->push_back(current + "=");
      current.clear();
    }
    current += piece;
  }
  out->push_back(current);
}

}  // namespace

std::vector<std::string> SplitAddresses(const char* list) {
  std::vector<std::string> parts;
  if (list == nullptr) return parts;
  std::string part;
  for (const char* p = list;; ++p) {
    if (*p == ';' || *p == ',' || *p == '\0') {
      std::string trimmed = Trim(part);
      if (!trimmed.empty()) parts.push_back(std::move(trimmed));
      part.clear();
      if (*p == '\0') break;
      continue;
    }
    part += *p;
  }
  return parts;
}

bool IsUsableAddress(const std::string& address) {
  if (address.empty() || address.size() > 254) return false;
  for (unsigned char c : address) {
    if (c <= 32 || c == 127 || c == '<' || c == '>') return false;
  }
  return true;
}

bool IsUsableHeaderValue(const std::string& value) {
  return value.find_first_of("\r\n") == std::string::npos;
}

std::string FormatMailDate(std::time_t when) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm local{};
  if (localtime_r(&when, &local) == nullptr) return "Thu, 01 Jan 1970 00:00:00 +0000";
  const long offset = local.tm_gmtoff / 60;  // minutes east of UTC
  const long magnitude = offset < 0 ? -offset : offset;
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld",
                kDays[local.tm_wday % 7], local.tm_mday, kMonths[local.tm_mon % 12],
                local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec,
                offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
  return text;
}

std::string WireBody(const std::string& body) { return DotStuffed(Lines(body)); }

bool NeedsQuotedPrintable(const std::string& body) {
  if (HasHighCharacter(body)) return true;
  for (const std::string& line : Lines(body)) {
    if (line.size() > kMaxWireLine - 1) return true;  // room for a stuffed dot
  }
  return false;
}

std::string QuotedPrintable(const std::string& body) {
  std::vector<std::string> encoded;
  for (const std::string& line : Lines(body)) QuotedPrintableLine(line, &encoded);
  std::string out;
  for (const std::string& line : encoded) out += line + kCrLf;
  return out;
}

std::string EncodeHeaderText(const std::string& text, const char* charset) {
  if (!HasHighCharacter(text) && text.size() <= 900) return text;
  // Encoded words of at most 75 characters, each holding whole bytes.
  const std::string prefix = std::string("=?") + charset + "?B?";
  const size_t room = (75 - prefix.size() - 2) / 4 * 3;
  std::string out;
  for (size_t at = 0; at < text.size(); at += room) {
    if (!out.empty()) out += "\r\n ";
    out += prefix + Base64(text.substr(at, room)) + "?=";
  }
  return out;
}

std::string DomainOf(const std::string& address) {
  const size_t at = address.rfind('@');
  return at == std::string::npos ? std::string() : address.substr(at + 1);
}

std::string MakeMessageId(const std::string& domain) {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  char text[80];
  std::snprintf(text, sizeof text, "<%lld.%016llx@", static_cast<long long>(std::time(nullptr)),
                static_cast<unsigned long long>(generator()));
  return text + (domain.empty() ? std::string("localhost") : domain) + ">";
}

std::string Base64Lines(const std::string& data) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t column = 0;
  for (size_t i = 0; i < data.size(); i += 3) {
    const size_t left = data.size() - i;
    const uint32_t a = static_cast<unsigned char>(data[i]);
    const uint32_t b = left > 1 ? static_cast<unsigned char>(data[i + 1]) : 0;
    const uint32_t c = left > 2 ? static_cast<unsigned char>(data[i + 2]) : 0;
    const uint32_t group = (a << 16) | (b << 8) | c;
    out += kDigits[(group >> 18) & 63];
    out += kDigits[(group >> 12) & 63];
    out += left > 1 ? kDigits[(group >> 6) & 63] : '=';
    out += left > 2 ? kDigits[group & 63] : '=';
    column += 4;
    if (column >= 76) {
      out += kCrLf;
      column = 0;
    }
  }
  if (column > 0) out += kCrLf;
  return out;
}

std::string WireMessage(const Message& message) {
  static constexpr char kCharset[] = "windows-1252";
  std::string to;
  size_t column = 4;  // "To: "
  for (size_t i = 0; i < message.recipients.size(); ++i) {
    const std::string& address = message.recipients[i];
    if (i > 0) {
      to += ",";
      if (column + address.size() + 2 > 76) {
        to += "\r\n";
        column = 0;
      }
      to += " ";
      column += 2;
    }
    to += address;
    column += address.size();
  }
  const bool qp = NeedsQuotedPrintable(message.body);
  std::string head;
  head += "Date: " + FormatMailDate(message.date) + kCrLf;
  head += "From: " + message.from + kCrLf;
  head += "To: " + to + kCrLf;
  head += "Reply-To: " + message.reply_to + kCrLf;
  head += "Subject: " + EncodeHeaderText(message.subject, kCharset) + kCrLf;
  head += "Message-ID: " + message.message_id + kCrLf;
  head += std::string("MIME-Version: 1.0") + kCrLf;
  std::string text_part;
  text_part += std::string("Content-Type: text/plain; charset=") + (qp ? kCharset : "us-ascii") + kCrLf;
  text_part += std::string("Content-Transfer-Encoding: ") + (qp ? "quoted-printable" : "7bit") + kCrLf;
  text_part += kCrLf;
  const std::string body = qp ? QuotedPrintable(message.body) : message.body;
  if (message.attachment_name.empty()) return head + text_part + WireBody(body);

  // The boundary cannot occur in the parts: base64 and quoted-printable
  // lines never hold "=_", and a plain body that does is sent quoted.
  const std::string boundary = "=_qv_part_" + message.message_id.substr(1, message.message_id.find('@') - 1);
  const std::string plain = qp || body.find("=_") == std::string::npos ? body : QuotedPrintable(body);
  if (!qp && plain != body) {
    text_part = std::string("Content-Type: text/plain; charset=us-ascii") + kCrLf +
                "Content-Transfer-Encoding: quoted-printable" + kCrLf + kCrLf;
  }
  std::string name;
  for (char c : message.attachment_name) {
    if (c != '"' && c != '\\' && static_cast<unsigned char>(c) >= 32) name += c;
  }
  std::string whole = head;
  whole += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"" + kCrLf + kCrLf;
  whole += "--" + boundary + kCrLf + text_part + plain;
  if (!plain.empty() && plain.back() != '\n') whole += kCrLf;
  whole += "--" + boundary + kCrLf;
  whole += "Content-Type: application/octet-stream; name=\"" + name + "\"" + kCrLf;
  whole += std::string("Content-Transfer-Encoding: base64") + kCrLf;
  whole += "Content-Disposition: attachment; filename=\"" + name + "\"" + kCrLf + kCrLf;
  whole += Base64Lines(message.attachment_data);
  whole += "--" + boundary + "--" + kCrLf;
  return WireBody(whole);
}

}  // namespace qvui::smtp
