// HTTP/1.x on the wire: the request text, the response head and the body's
// framing (Content-Length, chunked, or up to the close). Pure text work,
// no I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qvp::net {

std::string Base64(std::string_view bytes);

struct ResponseHead {
  std::string version;  // "HTTP/1.1"
  int status = 0;
  std::string reason;
  std::vector<std::pair<std::string, std::string>> headers;  // in order, names as sent
  std::string raw;  // status line and headers, each ended by CR LF, then an empty line

  // The index-th value of a header (names compared without regard to case).
  const std::string* Find(std::string_view name, size_t index = 0) const;
};

// Collects bytes until the blank line that ends a head.
class HeadReader {
 public:
  // Takes bytes; answers how many were used (the rest belongs to the body).
  size_t Feed(const char* data, size_t n);
  bool done() const { return done_; }
  bool too_long() const { return too_long_; }
  size_t seen() const { return text_.size(); }
  // After done(): false when the text is no HTTP response head.
  bool Parse(ResponseHead* out) const;

 private:
  std::string text_;
  bool done_ = false;
  bool too_long_ = false;
};

// Turns the bytes after the head into the body.
class BodyDecoder {
 public:
  enum class Framing { kNone, kLength, kChunked, kUntilClose };
  // The framing a response to `method` with this head has.
  static BodyDecoder For(const ResponseHead& head, std::string_view method);

  // Decodes bytes into `out`; answers how many input bytes it used. Bytes
  // after the end of the body are not used.
  size_t Feed(const char* data, size_t n, std::string* out);
  // The connection closed: true when that is a proper end of the body.
  bool EndOfStream();
  bool done() const { return done_; }
  bool broken() const { return broken_; }
  Framing framing() const { return framing_; }

 private:
  enum class Chunk { kSize, kSizeExtension, kSizeLf, kData, kDataCr, kDataLf, kTrailer, kTrailerLf };
  Framing framing_ = Framing::kNone;
  uint64_t left_ = 0;  // bytes of the body (kLength) or of the chunk still to come
  Chunk chunk_ = Chunk::kSize;
  bool size_digits_ = false;
  bool trailer_empty_ = true;
  bool done_ = false;
  bool broken_ = false;
};

}  // namespace qvp::net
