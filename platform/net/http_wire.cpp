#include "net/http_wire.h"

#include <cctype>
#include <cstring>

#include "qvplatform/nocase.h"

namespace qvp::net {
namespace {

// A head longer than this is refused: no server needs it, and it bounds memory.
constexpr size_t kMaxHead = 64 * 1024;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool HasToken(std::string_view list, std::string_view token) {
  while (!list.empty()) {
    size_t comma = list.find(',');
    if (EqualNoCase(Trim(list.substr(0, comma)), token)) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string Base64(std::string_view bytes) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    uint32_t v = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i]) << 16 |
                                       static_cast<unsigned char>(bytes[i + 1]) << 8 |
                                       static_cast<unsigned char>(bytes[i + 2]));
    for (int shift = 18; shift >= 0; shift -= 6) out += kAlphabet[(v >> shift) & 63];
  }
  if (size_t rest = bytes.size() - i) {
    uint32_t v = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i]) << 16);
    if (rest == 2) v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1]) << 8);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

const std::string* ResponseHead::Find(std::string_view name, size_t index) const {
  for (const auto& [n, v] : headers) {
    if (EqualNoCase(n, name) && index-- == 0) return &v;
  }
  return nullptr;
}

size_t HeadReader::Feed(const char* data, size_t n) {
  size_t used = 0;
  while (used < n && !done_) {
    char c = data[used++];
    if (text_.empty() && (c == '\r' || c == '\n')) continue;  // blank lines before the status line
    text_ += c;
    size_t len = text_.size();
    // The head ends at an empty line (CR LF CR LF, or bare LF LF from sloppy servers).
    if ((len >= 4 && text_.compare(len - 4, 4, "\r\n\r\n") == 0) || (len >= 2 && text_.compare(len - 2, 2, "\n\n") == 0)) {
      done_ = true;
    } else if (len > kMaxHead) {
      too_long_ = true;
      done_ = true;
    }
  }
  return used;
}

bool HeadReader::Parse(ResponseHead* out) const {
  if (!done_ || too_long_) return false;
  ResponseHead head;
  std::string_view text = text_;
  size_t eol = text.find('\n');
  std::string_view status_line = Trim(text.substr(0, eol));
  // "HTTP/1.1 200 OK"
  if (status_line.size() < 12 || !EqualNoCase(status_line.substr(0, 5), "HTTP/")) return false;
  size_t sp = status_line.find(' ');
  if (sp == std::string_view::npos) return false;
  head.version = std::string(status_line.substr(0, sp));
  std::string_view rest = Trim(status_line.substr(sp + 1));
  if (rest.size() < 3 || !std::isdigit(static_cast<unsigned char>(rest[0])) ||
      !std::isdigit(static_cast<unsigned char>(rest[1])) || !std::isdigit(static_cast<unsigned char>(rest[2])) ||
      (rest.size() > 3 && rest[3] != ' ')) {
    return false;
  }
  head.status = (rest[0] - '0') * 100 + (rest[1] - '0') * 10 + (rest[2] - '0');
  head.reason = std::string(Trim(rest.substr(3)));
  head.raw = std::string(status_line) + "\r\n";
  text.remove_prefix(eol + 1);
  while (!text.empty()) {
    eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) break;
    if ((line.front() == ' ' || line.front() == '\t') && !head.headers.empty()) {
      std::string& value = head.headers.back().second;  // a folded line continues the header
      value += ' ';
      value += Trim(line);
      head.raw += std::string(line) + "\r\n";
      continue;
    }
    size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    head.headers.emplace_back(std::string(Trim(line.substr(0, colon))), std::string(Trim(line.substr(colon + 1))));
    head.raw += std::string(line) + "\r\n";
  }
  head.raw += "\r\n";
  *out = std::move(head);
  return true;
}

BodyDecoder BodyDecoder::For(const ResponseHead& head, std::string_view method) {
  BodyDecoder d;
  if (EqualNoCase(method, "HEAD") || head.status / 100 == 1 || head.status == 204 || head.status == 304) {
    d.done_ = true;
    return d;
  }
  const std::string* te = head.Find("Transfer-Encoding");
  if (te && HasToken(*te, "chunked")) {
    d.framing_ = Framing::kChunked;
    return d;
  }
  if (const std::string* cl = head.Find("Content-Length")) {
    std::string_view digits = Trim(*cl);
    uint64_t n = 0;
    bool ok = !digits.empty() && digits.size() <= 18;
    for (char c : digits) {
      if (c < '0' || c > '9') ok = false;
      n = n * 10 + static_cast<uint64_t>(c - '0');
    }
    if (ok) {
      d.framing_ = Framing::kLength;
      d.left_ = n;
      d.done_ = n == 0;
      return d;
    }
    d.broken_ = true;  // an unreadable length cannot frame the body
    d.done_ = true;
    return d;
  }
  d.framing_ = Framing::kUntilClose;
  return d;
}

size_t BodyDecoder::Feed(const char* data, size_t n, std::string* out) {
  size_t used = 0;
  if (framing_ == Framing::kUntilClose) {
    out->append(data, n);
    return n;
  }
  if (framing_ == Framing::kLength) {
    size_t take = left_ < n ? static_cast<size_t>(left_) : n;
    out->append(data, take);
    left_ -= take;
    done_ = left_ == 0;
    return take;
  }
  if (framing_ != Framing::kChunked) return 0;
  while (used < n && !done_ && !broken_) {
    char c = data[used];
    switch (chunk_) {
      case Chunk::kSize: {
        int digit = HexDigit(c);
        if (digit >= 0) {
          if (left_ > (UINT64_MAX >> 4)) {
            broken_ = true;
            break;
          }
          left_ = left_ * 16 + static_cast<uint64_t>(digit);
          size_digits_ = true;
        } else if (c == ';' || c == ' ' || c == '\t') {
          chunk_ = Chunk::kSizeExtension;
        } else if (c == '\r') {
          chunk_ = Chunk::kSizeLf;
        } else if (c == '\n') {
          chunk_ = Chunk::kSizeLf;
          continue;  // handle the LF in kSizeLf
        } else {
          broken_ = true;
        }
        ++used;
        break;
      }
      case Chunk::kSizeExtension:
        if (c == '\r' || c == '\n') {
          chunk_ = Chunk::kSizeLf;
          if (c == '\n') continue;
        }
        ++used;
        break;
      case Chunk::kSizeLf:
        if (c != '\n' || !size_digits_) {
          broken_ = true;
          break;
        }
        ++used;
        size_digits_ = false;
        if (left_ == 0) {
          chunk_ = Chunk::kTrailer;
          trailer_empty_ = true;
        } else {
          chunk_ = Chunk::kData;
        }
        break;
      case Chunk::kData: {
        size_t take = left_ < n - used ? static_cast<size_t>(left_) : n - used;
        out->append(data + used, take);
        used += take;
        left_ -= take;
        if (left_ == 0) chunk_ = Chunk::kDataCr;
        break;
      }
      case Chunk::kDataCr:
        if (c == '\r') {
          chunk_ = Chunk::kDataLf;
          ++used;
        } else if (c == '\n') {
          chunk_ = Chunk::kDataLf;
        } else {
          broken_ = true;
        }
        break;
      case Chunk::kDataLf:
        if (c != '\n') {
          broken_ = true;
          break;
        }
        ++used;
        chunk_ = Chunk::kSize;
        break;
      case Chunk::kTrailer:
        // Trailer lines are skipped; an empty line ends the body.
        if (c == '\r') {
          chunk_ = Chunk::kTrailerLf;
        } else if (c == '\n') {
          chunk_ = Chunk::kTrailerLf;
          continue;
        } else {
          trailer_empty_ = false;
        }
        ++used;
        break;
      case Chunk::kTrailerLf:
        if (c != '\n') {
          broken_ = true;
          break;
        }
        ++used;
        if (trailer_empty_) {
          done_ = true;
        } else {
          chunk_ = Chunk::kTrailer;
          trailer_empty_ = true;
        }
        break;
    }
  }
  return used;
}

bool BodyDecoder::EndOfStream() {
  if (done_) return !broken_;
  if (framing_ == Framing::kUntilClose) {
    done_ = true;
    return true;
  }
  broken_ = true;  // the connection ended inside the body
  done_ = true;
  return false;
}

}  // namespace qvp::net
