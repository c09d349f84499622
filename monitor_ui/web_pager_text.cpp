// Web paging request strings.
#include "web_pager_text.h"

namespace {
constexpr char kArgument[] = "%arg:";
constexpr size_t kMaxPart = 100;
}  // namespace

std::string WebServiceName(const std::string& url) {
  const size_t slash = url.find('/');
  return slash == std::string::npos ? url : url.substr(0, slash);
}

std::string WebRequest(const std::string& url) {
  const size_t slash = url.find('/');
  return slash == std::string::npos ? std::string() : url.substr(slash + 1);
}

std::vector<WebArgument> WebArguments(const std::string& request) {
  std::vector<WebArgument> arguments;
  size_t at = request.find(kArgument);
  while (at != std::string::npos) {
    const size_t start = at + sizeof kArgument - 1;
    const size_t equals = request.find('=', start);
    const size_t close = request.find('%', start);
    if (equals == std::string::npos || (close != std::string::npos && close < equals)) {
      at = request.find(kArgument, start);
      continue;
    }
    const size_t end = request.find('%', equals + 1);
    WebArgument argument;
    argument.name = request.substr(start, equals - start).substr(0, kMaxPart);
    argument.value =
        request.substr(equals + 1, (end == std::string::npos ? request.size() : end) - equals - 1).substr(0, kMaxPart);
    arguments.push_back(std::move(argument));
    if (end == std::string::npos) break;
    at = request.find(kArgument, end + 1);
  }
  return arguments;
}

bool ReplaceWebArgument(std::string& request, const std::string& name, const std::string& value) {
  const std::string pattern = kArgument + name + "=";
  const size_t at = request.find(pattern);
  if (at == std::string::npos) return false;
  const size_t end = request.find('%', at + pattern.size());
  const std::string replacement = pattern + value + "%";
  request.replace(at, (end == std::string::npos ? request.size() : end + 1) - at, replacement);
  return true;
}
