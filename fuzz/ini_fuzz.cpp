// Settings files: the text model and the profile-string calls over a file
// holding the input.
//
// Properties: writing the text back and reading it again changes nothing
// more; every listed section and key has a value; the calls list the same
// sections as the text model; a key written through the calls reads back and
// leaves every other value as it was.
#include <strings.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "ini/ini_text.h"
#include "qvplatform.h"
#include "qvplatform/ini.h"

namespace {

using Values = std::vector<std::pair<std::string, std::string>>;  // "section\nkey", value

Values AllValues(const qvp::ini::IniText& text) {
  Values values;
  for (const std::string& section : text.SectionNames()) {
    for (const std::string& key : text.KeyNames(section)) {
      const auto value = text.Value(section, key);
      FUZZ_CHECK(value.has_value());
      values.emplace_back(section + "\n" + key, *value);
    }
  }
  return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  const std::string input(qvfuzz::Bytes(data, size));

  const qvp::ini::IniText text(input);
  const std::string once = text.Serialize();
  const qvp::ini::IniText again(once);
  FUZZ_CHECK(again.Serialize() == once);
  const Values before = AllValues(text);
  FUZZ_CHECK(AllValues(again) == before);

  // The calls on a file holding the input list the sections the model lists.
  const std::string path = qvfuzz::WriteScratch("fuzz.ini", input);
  std::vector<char> list(128 * 1024);
  const DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", list.data(), static_cast<DWORD>(list.size()),
                                           path.c_str());
  FUZZ_CHECK(n + 2 <= list.size() && list[n] == '\0');
  std::vector<std::string> listed;
  for (size_t at = 0; at < n; at += std::strlen(list.data() + at) + 1) listed.emplace_back(list.data() + at);
  std::vector<std::string> expected;
  for (const std::string& name : text.SectionNames()) {
    if (!name.empty()) expected.push_back(name);
  }
  std::vector<std::string> listed_named;
  for (const std::string& name : listed) {
    if (!name.empty()) listed_named.push_back(name);
  }
  // (A NUL in a name ends it in the list.)
  if (input.find('\0') == std::string::npos) FUZZ_CHECK(listed_named == expected);

  // A new key in a new section reads back; nothing else changes.
  const char* kSection = "QvFuzz Added Section";
  if (text.Value(kSection, "Key").has_value() || !text.KeyNames(kSection).empty()) return 0;
  if (!WritePrivateProfileStringA(kSection, "Key", "written value", path.c_str())) return 0;
  char value[64] = {};
  FUZZ_CHECK(GetPrivateProfileStringA(kSection, "key", "", value, sizeof value, path.c_str()) == 13);
  FUZZ_CHECK(std::string(value) == "written value");
  FUZZ_CHECK(GetPrivateProfileIntA(kSection, "KEY", 7, path.c_str()) == 0);
  const qvp::ini::IniText written(qvfuzz::ReadScratch("fuzz.ini"));
  Values after = AllValues(written);
  auto in_added_section = [&](const auto& entry) {
    const std::string section = entry.first.substr(0, entry.first.find('\n'));
    return section.size() == std::strlen(kSection) && strncasecmp(section.c_str(), kSection, section.size()) == 0;
  };
  std::erase_if(after, in_added_section);
  FUZZ_CHECK(after == before);
  return 0;
}
