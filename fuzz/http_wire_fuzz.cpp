// The HTTP client's head reader and body decoder on a response from the input,
// fed whole and in pieces.
//
// Properties: the pieces give what the whole gives; a head's names and values
// are input bytes; a body never holds more bytes than it used; a body framed in
// chunks of sizes from the input decodes to exactly what was framed.
#include <cstdio>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "net/http_wire.h"

namespace {

struct Result {
  size_t head_used = 0;
  bool head_done = false;
  bool parsed = false;
  qvp::net::ResponseHead head;
  size_t body_used = 0;
  std::string body;
  bool done = false;
  bool broken = false;
  bool end_ok = false;
};

// Feeds `input` in pieces of `step` bytes (0: whole).
Result Read(std::string_view input, size_t step, std::string_view method) {
  Result r;
  qvp::net::HeadReader reader;
  size_t at = 0;
  while (at < input.size() && !reader.done()) {
    const size_t n = step == 0 ? input.size() - at : std::min(step, input.size() - at);
    const size_t used = reader.Feed(input.data() + at, n);
    FUZZ_CHECK(used <= n);
    at += used;
    if (used < n) break;
  }
  r.head_used = at;
  r.head_done = reader.done();
  if (!reader.done()) return r;
  r.parsed = reader.Parse(&r.head);
  if (!r.parsed) return r;
  auto decoder = qvp::net::BodyDecoder::For(r.head, method);
  while (at < input.size() && !decoder.done() && !decoder.broken()) {
    const size_t n = step == 0 ? input.size() - at : std::min(step, input.size() - at);
    const size_t used = decoder.Feed(input.data() + at, n, &r.body);
    FUZZ_CHECK(used <= n);
    r.body_used += used;
    at += used;
    if (used < n) break;
  }
  FUZZ_CHECK(r.body.size() <= r.body_used);
  r.done = decoder.done();
  r.broken = decoder.broken();
  r.end_ok = decoder.EndOfStream();
  return r;
}

void CheckSame(const Result& a, const Result& b) {
  FUZZ_CHECK(a.head_used == b.head_used && a.head_done == b.head_done && a.parsed == b.parsed);
  FUZZ_CHECK(a.head.status == b.head.status && a.head.raw == b.head.raw && a.head.headers == b.head.headers);
  FUZZ_CHECK(a.body_used == b.body_used && a.body == b.body && a.done == b.done && a.broken == b.broken &&
             a.end_ok == b.end_ok);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 128 * 1024) return 0;
  const size_t step = data[0] % 7 + 1;
  const std::string_view method = (data[0] & 0x80) != 0 ? "HEAD" : "GET";
  const std::string_view input = qvfuzz::Bytes(data + 1, size - 1);

  const Result whole = Read(input, 0, method);
  CheckSame(whole, Read(input, step, method));
  if (whole.parsed) {
    FUZZ_CHECK(whole.head.status >= 0 && whole.head.status <= 999);
    FUZZ_CHECK(whole.head.raw.ends_with("\r\n\r\n"));
    for (const auto& [name, value] : whole.head.headers) {
      FUZZ_CHECK(input.find(name) != std::string_view::npos);
      if (value.find(' ') == std::string::npos) FUZZ_CHECK(input.find(value) != std::string_view::npos);
    }
  }

  // The input framed in chunks whose sizes come from its own bytes decodes to itself.
  std::string framed = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  for (size_t at = 0; at < input.size();) {
    const size_t n = std::min<size_t>(static_cast<unsigned char>(input[at]) % 32 + 1, input.size() - at);
    char size_line[32];
    std::snprintf(size_line, sizeof size_line, (at & 1) != 0 ? "%zX;ext=1\r\n" : "%zx\r\n", n);
    framed += size_line;
    framed.append(input.substr(at, n));
    framed += "\r\n";
    at += n;
  }
  framed += "0\r\nTrailer: x\r\n\r\n";
  const Result chunked = Read(framed, step, "GET");
  FUZZ_CHECK(chunked.parsed && chunked.done && !chunked.broken && chunked.end_ok);
  FUZZ_CHECK(chunked.body == input);
  FUZZ_CHECK(chunked.head_used + chunked.body_used == framed.size());
  return 0;
}
