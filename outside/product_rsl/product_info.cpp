// The product's fixed facts: menu ids, title and version, web pages, SNMP
// root identifier and the product's part of the registry key.
#include <cctype>
#include <algorithm>
#include <cstring>

#include "prd_exports.h"
#include "product_ids.h"

namespace {

constexpr const char* kTitleAndVersion = "Quorvane 4.0";
constexpr const char* kSnmpRootOid = "1.3.6.1.4.1.99999.40";
constexpr const char* kRegistryKeyPart = "Quorvane";

// The site's pages, one folder per language: home, support, updates (the
// caller appends "?Version=..."), questions and answers, news.
constexpr const char* kPages[4][5] = {
    {"http://www.quorvane.example/en/index.html", "http://www.quorvane.example/en/support.html",
     "http://www.quorvane.example/en/update.html", "http://www.quorvane.example/en/faq.html",
     "http://www.quorvane.example/en/news.html"},
    {"http://www.quorvane.example/fr/index.html", "http://www.quorvane.example/fr/support.html",
     "http://www.quorvane.example/fr/update.html", "http://www.quorvane.example/fr/faq.html",
     "http://www.quorvane.example/fr/news.html"},
    {"http://www.quorvane.example/de/index.html", "http://www.quorvane.example/de/support.html",
     "http://www.quorvane.example/de/update.html", "http://www.quorvane.example/de/faq.html",
     "http://www.quorvane.example/de/news.html"},
    {"http://www.quorvane.example/ja/index.html", "http://www.quorvane.example/ja/support.html",
     "http://www.quorvane.example/ja/update.html", "http://www.quorvane.example/ja/faq.html",
     "http://www.quorvane.example/ja/news.html"},
};

bool SameText(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (std::toupper(static_cast<unsigned char>(*a)) != std::toupper(static_cast<unsigned char>(*b))) return false;
  }
  return *a == *b;
}

int LanguageRow(const char* language) {
  if (language == nullptr) return 0;
  if (SameText(language, "FRENCH")) return 1;
  if (SameText(language, "GERMAN")) return 2;
  if (SameText(language, "JAPANESE")) return 3;
  return 0;  // English and every language the site has no pages in
}

// Copies text into a caller's buffer of `size` characters with the zero.
void CopyCut(const char* text, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return;
  const size_t n = std::min(std::strlen(text), size - 1);
  std::memcpy(buffer, text, n);
  buffer[n] = '\0';
}

}  // namespace

QV_API int PRD_GetResourceID(int role) {
  switch (role) {
    case 10:
      return IDM_PRD_MAIN;
    case 20:
      return IDM_PRD_POPUPS;
    default:
      return 0;
  }
}

QV_API void PRD_GetTitleAndVersion(char* buffer, int size) {
  if (size > 0) CopyCut(kTitleAndVersion, buffer, static_cast<size_t>(size));
}

// The product index does not choose anything: there is one product.
QV_API const char* PRD_GetWebPage(const char* language, int /*productIndex*/, int page) {
  if (page < 1 || page > 5) return "";
  return kPages[LanguageRow(language)][page - 1];
}

// The callers' buffers hold 100 characters with the zero.
QV_API void PRD_GetSNMPOid(char* buffer) { CopyCut(kSnmpRootOid, buffer, 100); }
QV_API void PRD_GetProductRegKey(char* buffer) { CopyCut(kRegistryKeyPart, buffer, 100); }
