// The parts of a web paging request: WebPageUrl is the service name, "/" and
// the request string, whose arguments read "%arg:name=value%".
#pragma once

#include <string>
#include <vector>

// The text before the first "/" (all of it when there is none), and after it.
std::string WebServiceName(const std::string& url);
std::string WebRequest(const std::string& url);

struct WebArgument {
  std::string name;
  std::string value;
};
// The arguments in order of appearance; names and values cut to 100 characters.
std::vector<WebArgument> WebArguments(const std::string& request);
// Replaces the value of argument `name` in `request` (its first occurrence);
// the rest of the text stays as it is. False when the argument is absent.
bool ReplaceWebArgument(std::string& request, const std::string& name, const std::string& value);
