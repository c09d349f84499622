// The parts of web paging that are plain text: the URL template filled with
// the page's values, the HTTP/1.0 request, and the judgement of the answer.
#pragma once

#include <cstddef>
#include <string>

class CPagerAlert;

// Form encoding of a value: A-Z, a-z, 0-9, "-", ".", "_" and "~" stay, a
// blank becomes "+", every other byte "%XX".
std::string FormEncode(const std::string& value);

struct WebPageTarget {
  std::string host;  // as written, without the port
  int port = 80;
  std::string path;  // filled in: the request path, with "??" and a body for a POST
};

// Fills the page's template (WebPageUrl after its first "/") in one pass:
// "%arg:name=value%" by its value, the first "%id%", "%num%" and "%msg%" of the
// path by PagerID (PIN for a numeric page), Number and Message, each value
// form-encoded, and the template's blanks as "+". Substituted text is never
// scanned again; a "%arg:" without its closing "%" stays as written. False
// when the template does not begin with "http://" or lacks a host or a path.
bool FillWebPageTemplate(const CPagerAlert& alert, WebPageTarget* target);

// The request: a form POST when the path holds "??" (path before the first
// "?", body after the "??"), else a GET.
std::string BuildWebPageRequest(const WebPageTarget& target);

// A 2xx or 3xx status line: "HTTP/" (any case), "." seventh and "2" or "3"
// tenth. Shorter answers are no status line.
bool IsWebPageAccepted(const char* answer, size_t length);

// How long connecting, sending and receiving may each take (30 s); tests
// shorten it. 0 restores the default.
void SetWebPageStepLimit(unsigned milliseconds);
