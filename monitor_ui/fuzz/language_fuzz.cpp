// LANG.TRE and language-file parsing on any bytes, read as both.
//
// Properties: every entry hangs under an earlier one or the root, at a depth
// of one or more, with a label free of braces and a tag in angle brackets;
// an item given a new text reads back exactly that text; texts with braces
// are refused and change nothing; the unchanged copy's path differs only in
// its extension.
#include <string>

#include "fuzz_support.h"
#include "language_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::vector<replang::TreeEntry> entries = replang::ParseLanguageTree(input);
  for (size_t i = 0; i < entries.size(); ++i) {
    const replang::TreeEntry& entry = entries[i];
    FUZZ_CHECK(entry.depth >= 1);
    FUZZ_CHECK(entry.parent >= -1 && entry.parent < static_cast<int>(i));
    FUZZ_CHECK(entry.label.find('}') == std::string::npos);
    FUZZ_CHECK(entry.tag.empty() || (entry.tag.front() == '<' && entry.tag.back() == '>' && entry.tag.size() >= 2));
  }
  size_t tried = 0;
  for (const replang::TreeEntry& entry : entries) {
    if (entry.tag.empty() || ++tried > 16) continue;
    std::string text;
    const bool found = replang::ItemText(input, entry.tag, &text);
    FUZZ_CHECK(!found || text.find('}') == std::string::npos);
    std::string language = input;
    const bool set = replang::SetItemText(&language, entry.tag, "new text");
    FUZZ_CHECK(set == found);
    if (set) {
      FUZZ_CHECK(replang::ItemText(language, entry.tag, &text) && text == "new text");
    } else {
      FUZZ_CHECK(language == input);
    }
    language = input;
    FUZZ_CHECK(!replang::SetItemText(&language, entry.tag, "a{b") && language == input);
  }
  std::string copy = input.substr(0, 256);
  const std::string find = input.substr(input.size() / 2, 3);
  const int replaced = replang::ReplaceEvery(&copy, find, "", true);
  FUZZ_CHECK(replaced >= 0 && (replaced == 0 || !find.empty()));
  const std::string original = replang::OriginalPathOf(input);
  FUZZ_CHECK(original.empty() || (original.size() == input.size() && original.substr(0, size - 4) ==
                                  input.substr(0, size - 4) && original.substr(size - 4) == ".ORG"));
  return 0;
}
