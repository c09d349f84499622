// The engine's template language.
//
// A template file (".VAR") holds one block per report object:
//   .BLOCK Name          starts the block that makes objects named Name
//   .ENDBLOCK            ends it
//   .REPEAT / .ENDREPEAT the lines between are made once per index, from 0;
//                        repeats nest, each depth with its own index
//   .CHAPTER text        a chapter heading (listed in the table of contents)
//   ; text               a comment (a line that begins with ';')
// Any other line is HTML, copied with its line break, in which
//   $(Token)   is the token's value at the index of the innermost repeat,
//              escaped, in a span whose class is the token's name (an
//              empty value is written as nothing, without a span);
//   $[Token]   is the same value without the span (for titles and attributes);
//   @<TAG>     is the text of the language item <TAG>, escaped.
// The page frame ("qv_report.pl") is the same inline language without
// blocks: lines that begin with '#' are comments, and the lines @@STYLE@@,
// @@LOGO@@, @@CONTENTS@@ and @@BODY@@ stand for the style sheet, the logo,
// the table of contents and the objects.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qvr {

struct Node {
  enum class Kind { kText, kToken, kBareToken, kItem, kRepeat, kChapter, kFrameSlot };
  Kind kind = Kind::kText;
  std::string text;                            // text, token name, item tag or slot name
  std::vector<std::unique_ptr<Node>> children;  // repeat body, chapter title
};
using Nodes = std::vector<std::unique_ptr<Node>>;

// Blocks by name, upper-cased.
using Blocks = std::map<std::string, Nodes>;

// False with a reason (and the line) when the template is not well formed.
bool ParseTemplate(const std::string& text, Blocks* blocks, std::string* problem);
bool ParseFrame(const std::string& text, Nodes* nodes, std::string* problem);

std::string UpperCase(std::string text);

}  // namespace qvr
