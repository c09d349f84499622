// The report-language files as text: the item tree of LANG.TRE and the item
// texts of a language file (".RPL" / ".ORG"), where an item is written as its
// tag followed, before the next '}', by "{" text "}". Plain text in, plain
// text out; no files and no windows here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace replang {

// One line of LANG.TRE that names an item.
struct TreeEntry {
  int depth = 1;       // the number of leading ':' (1 = top level)
  std::string label;   // the text between the first '{' and the next '}'
  std::string tag;     // "<...>" with its angle brackets; empty for a group
  int parent = -1;     // index of the parent entry; -1 for the root
};

// The entries of LANG.TRE in file order. Lines end in LF (a final line
// without one is ignored); a line without leading ':' or without a label is
// ignored. A line deeper than the one before hangs under the last entry; a
// shallower one climbs back up, never above the root.
std::vector<TreeEntry> ParseLanguageTree(std::string_view text);

// Where an item's text lies: the tag at `tag_at`, its braces at `open` and
// `close`. False when the tag, or a '{' before the first '}' after it, is missing.
struct ItemSpan {
  size_t tag_at = 0;
  size_t open = 0;
  size_t close = 0;
};
bool FindItemSpan(std::string_view language, std::string_view tag, ItemSpan* span);

// The text of the item; false as FindItemSpan.
bool ItemText(std::string_view language, std::string_view tag, std::string* text);

// An item's text may hold anything but the braces that delimit it.
bool IsValidItemText(std::string_view text);

// Gives the item `tag` the text `text`: its span (tag to closing brace) is
// formed anew and every occurrence of the old span in the language is
// replaced by it. False (nothing changed) when the item is not found or the
// text is not valid.
bool SetItemText(std::string* language, std::string_view tag, std::string_view text);

// Searching item texts and labels, with or without regard to case.
bool ContainsText(std::string_view text, std::string_view find, bool match_case);
// Every occurrence of `find` replaced by `with`, left to right; the count.
int ReplaceEvery(std::string* text, std::string_view find, std::string_view with, bool match_case);

// A language name is a plain file name: 1 to 63 characters, no path
// separators, dots, drive colons, wildcards, characters a file name cannot
// hold, control characters or outer blanks.
bool IsPlainLanguageName(std::string_view name);

// The name a listed language file stands for: the file name without its final
// ".RPL" (any case); empty when the file is no language file.
std::string LanguageOfFile(std::string_view file_name);

// The unchanged copy beside a language file: the final ".RPL" (any case)
// becomes ".ORG"; empty when the path does not end in ".RPL".
std::string OriginalPathOf(std::string_view language_path);

}  // namespace replang
