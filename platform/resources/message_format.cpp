#include "resources/message_format.h"

#include <cinttypes>
#include <cstdio>
#include <map>
#include <vector>

#include "qvplatform/resources.h"

namespace qvp {
namespace {

constexpr unsigned kMaxFieldWidth = 4096;  // width or precision of one insert

enum class ArgKind { kInt16, kInt32, kInt64, kString, kPointer };

struct InsertFormat {
  std::string flags;      // "-+ #0" characters
  int width = -1;
  int precision = -1;
  ArgKind kind = ArgKind::kString;
  char conversion = 's';
};

// Parses the text between the '!' of "%1!...!". False for anything this layer
// cannot print (wide strings, floating point, '*').
bool ParseInsertFormat(std::string_view conv, InsertFormat* f) {
  size_t i = 0;
  while (i < conv.size() && std::string_view("-+ #0").find(conv[i]) != std::string_view::npos) f->flags += conv[i++];
  auto number = [&](int* value) {
    if (i >= conv.size() || conv[i] < '0' || conv[i] > '9') return true;
    unsigned v = 0;
    while (i < conv.size() && conv[i] >= '0' && conv[i] <= '9') {
      v = v * 10 + static_cast<unsigned>(conv[i++] - '0');
      if (v > kMaxFieldWidth) return false;
    }
    *value = static_cast<int>(v);
    return true;
  };
  if (!number(&f->width)) return false;
  if (i < conv.size() && conv[i] == '.') {
    ++i;
    f->precision = 0;
    if (!number(&f->precision)) return false;
  }
  // Size prefixes: none, h (16 bits), l and I32 (32 bits: long is 32 bits on
  // Windows), ll and I64 (64 bits), I (pointer size).
  std::string_view size;
  for (std::string_view prefix : {"I64", "I32", "ll", "I", "l", "h"}) {
    if (conv.substr(i).starts_with(prefix)) {
      size = prefix;
      break;
    }
  }
  i += size.size();
  if (i + 1 != conv.size()) return false;
  f->conversion = conv[i];
  switch (f->conversion) {
    case 'd': case 'i': case 'u': case 'o': case 'x': case 'X':
      f->kind = size == "h" ? ArgKind::kInt16
                : size == "ll" || size == "I64" ? ArgKind::kInt64
                : size == "I" ? ArgKind::kPointer
                              : ArgKind::kInt32;
      return true;
    case 'c':
      f->kind = ArgKind::kInt32;
      return size.empty() || size == "h";
    case 's':  // an ANSI string ("hs" says so explicitly; "ls" would be a wide one)
      f->kind = ArgKind::kString;
      return size.empty() || size == "h";
    case 'p':
      f->kind = ArgKind::kPointer;
      return size.empty();
    default:
      return false;
  }
}

// One piece of a parsed message: literal text, or an insert.
struct Piece {
  std::string literal;
  unsigned insert = 0;  // 1..99, 0 for literal text
  InsertFormat format;
};

// The printf formats below are assembled from the parts ParseInsertFormat checked.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
std::string Render(const InsertFormat& f, uint64_t value) {
  std::string conv = "%";
  conv += f.flags;
  if (f.width >= 0) conv += std::to_string(f.width);
  if (f.precision >= 0) {
    conv += '.';
    conv += std::to_string(f.precision);
  }
  char buffer[kMaxFieldWidth * 2 + 64];
  int n = 0;
  const bool is_signed = f.conversion == 'd' || f.conversion == 'i';
  if (f.conversion == 's') {
    const char* s = reinterpret_cast<const char*>(static_cast<uintptr_t>(value));
    n = std::snprintf(buffer, sizeof buffer, (conv + "s").c_str(), s != nullptr ? s : "(null)");
  } else if (f.conversion == 'p') {
    n = std::snprintf(buffer, sizeof buffer, "%016" PRIX64, value);
  } else if (f.conversion == 'c') {
    n = std::snprintf(buffer, sizeof buffer, (conv + "c").c_str(), static_cast<int>(static_cast<unsigned char>(value)));
  } else if (f.kind == ArgKind::kInt64 || f.kind == ArgKind::kPointer) {
    conv += std::string("ll") + f.conversion;
    n = is_signed ? std::snprintf(buffer, sizeof buffer, conv.c_str(), static_cast<long long>(value))
                  : std::snprintf(buffer, sizeof buffer, conv.c_str(), static_cast<unsigned long long>(value));
  } else if (f.kind == ArgKind::kInt16) {
    conv += f.conversion;
    n = is_signed ? std::snprintf(buffer, sizeof buffer, conv.c_str(), static_cast<int>(static_cast<int16_t>(value)))
                  : std::snprintf(buffer, sizeof buffer, conv.c_str(), static_cast<unsigned>(static_cast<uint16_t>(value)));
  } else {
    conv += f.conversion;
    n = is_signed ? std::snprintf(buffer, sizeof buffer, conv.c_str(), static_cast<int>(static_cast<int32_t>(value)))
                  : std::snprintf(buffer, sizeof buffer, conv.c_str(), static_cast<unsigned>(static_cast<uint32_t>(value)));
  }
  if (f.conversion == 's') {
    // A string may be longer than the buffer: print it again into a string of the right size.
    if (n < 0) return {};
    if (static_cast<size_t>(n) >= sizeof buffer) {
      std::string big(static_cast<size_t>(n) + 1, '\0');
      const char* s = reinterpret_cast<const char*>(static_cast<uintptr_t>(value));
      std::snprintf(big.data(), big.size(), (conv + "s").c_str(), s != nullptr ? s : "(null)");
      big.resize(static_cast<size_t>(n));
      return big;
    }
  }
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}
#pragma GCC diagnostic pop

// Breaks lines longer than `width` at their last blank, or at `width` where a
// line has none. Lines end in "\r\n".
std::string Wrap(const std::string& text, size_t width) {
  std::string out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find("\r\n", start);
    const bool last = end == std::string::npos;
    std::string_view line(text.data() + start, (last ? text.size() : end) - start);
    while (line.size() > width) {
      size_t cut = line.substr(0, width + 1).rfind(' ');
      if (cut == std::string_view::npos || cut == 0) {
        out.append(line.substr(0, width));
        line.remove_prefix(width);
      } else {
        out.append(line.substr(0, cut));
        line.remove_prefix(cut + 1);
      }
      out += "\r\n";
    }
    out.append(line);
    if (last) break;
    out += "\r\n";
    start = end + 2;
  }
  return out;
}

}  // namespace

DWORD ExpandMessage(std::string_view text, DWORD flags, const MessageArguments& args, std::string* out) {
  const bool ignore_inserts = (flags & FORMAT_MESSAGE_IGNORE_INSERTS) != 0;
  const unsigned width = flags & FORMAT_MESSAGE_MAX_WIDTH_MASK;

  // First pass: split into literal text and inserts.
  std::vector<Piece> pieces(1);
  auto literal = [&](std::string_view s) {
    if (pieces.back().insert != 0) pieces.emplace_back();
    pieces.back().literal.append(s);
  };
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      const size_t len = (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      // With a width limit the message's own line breaks become blanks.
      literal(width != 0 ? std::string_view(" ") : text.substr(i, len));
      i += len;
      continue;
    }
    if (c != '%') {
      literal(text.substr(i, 1));
      ++i;
      continue;
    }
    if (i + 1 >= text.size()) {
      literal("%");
      ++i;
      continue;
    }
    const char e = text[i + 1];
    if (e == '0') break;  // end of the message, without a line break
    if (e >= '1' && e <= '9') {
      size_t j = i + 2;
      unsigned number = static_cast<unsigned>(e - '0');
      if (j < text.size() && text[j] >= '0' && text[j] <= '9') number = number * 10 + static_cast<unsigned>(text[j++] - '0');
      InsertFormat format;
      if (j < text.size() && text[j] == '!') {
        const size_t close = text.find('!', j + 1);
        if (close == std::string_view::npos) return ERROR_INVALID_PARAMETER;
        if (!ignore_inserts && !ParseInsertFormat(text.substr(j + 1, close - j - 1), &format)) return ERROR_INVALID_PARAMETER;
        j = close + 1;
      }
      if (ignore_inserts) {
        literal(text.substr(i, j - i));
      } else {
        Piece p;
        p.insert = number;
        p.format = format;
        pieces.push_back(std::move(p));
      }
      i = j;
      continue;
    }
    switch (e) {
      case 'n': literal("\r\n"); break;
      case 'r': literal("\r"); break;
      case 't': literal("\t"); break;
      default: literal(text.substr(i + 1, 1)); break;  // %% %. %! %space and the like
    }
    i += 2;
  }

  // Second pass: the values, read in insert order as Windows reads them. A
  // va_list is read once per insert, in the type its first use names; a later
  // use in another type would take an integer for a pointer, so it is refused.
  unsigned highest = 0;
  std::map<unsigned, ArgKind> kinds;
  for (const Piece& p : pieces) {
    if (p.insert == 0) continue;
    highest = std::max(highest, p.insert);
    const auto [it, first] = kinds.emplace(p.insert, p.format.kind);
    if (!first && it->second != p.format.kind && args.array == nullptr) return ERROR_INVALID_PARAMETER;
  }
  std::vector<uint64_t> values(highest + 1, 0);
  if (highest > 0) {
    if (args.array != nullptr) {
      for (unsigned n = 1; n <= highest; ++n) values[n] = args.array[n - 1];
    } else if (args.list != nullptr) {
      va_list ap;
      va_copy(ap, *args.list);
      for (unsigned n = 1; n <= highest; ++n) {
        auto it = kinds.find(n);
        const ArgKind kind = it == kinds.end() ? ArgKind::kPointer : it->second;
        switch (kind) {
          case ArgKind::kInt16:
          case ArgKind::kInt32: values[n] = va_arg(ap, unsigned int); break;
          case ArgKind::kInt64: values[n] = va_arg(ap, unsigned long long); break;
          case ArgKind::kString: values[n] = reinterpret_cast<uintptr_t>(va_arg(ap, const char*)); break;
          case ArgKind::kPointer: values[n] = reinterpret_cast<uintptr_t>(va_arg(ap, void*)); break;
        }
      }
      va_end(ap);
    } else {
      return ERROR_INVALID_PARAMETER;
    }
  }

  std::string result;
  for (const Piece& p : pieces) {
    result += p.insert == 0 ? p.literal : Render(p.format, values[p.insert]);
  }
  *out = (width != 0 && width != FORMAT_MESSAGE_MAX_WIDTH_MASK) ? Wrap(result, width) : std::move(result);
  return 0;
}

}  // namespace qvp
