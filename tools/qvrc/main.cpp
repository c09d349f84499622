// qvrc: the resource compiler. Turns a module's resource script into a C++
// source file that defines the module's exported resource table.
//
//   qvrc [-I dir]... [-d depfile] -o output.cpp script.rc
//
// THE SCRIPT LANGUAGE
//
// A script is UTF-8 text. Texts are stored in the layer's ANSI code page
// (Windows-1252); a character that code page lacks is an error. Escapes in
// strings give bytes directly: \n \r \t \a \b \f \v \\ \" \' \? \xHH \ooo.
// Adjacent strings join ("one " "text"). Comments are // and /* */.
// Keywords are upper case.
//
// Numbers and expressions
//   Decimal or 0x hexadecimal numbers (a trailing U or L is ignored), names
//   from #define lines and the built-in style constants (WS_*, WS_EX_*, DS_*,
//   BS_*, ES_*, SS_*, LBS_*, CBS_*, SBS_*, CCS_*, LVS_*, TCS_*, TVS_*, UDS_*,
//   PBS_*, TBSTYLE_*, IDOK..IDHELP, IDC_STATIC, LANG_*, SUBLANG_*, FW_*), with
//   the C operators ( ) unary - + ~ !, * / %, + -, << >>, &, ^, | at their C
//   precedence, on 32-bit unsigned values.
//
// Directives (a line starting with #)
//   #define NAME expression
//   #include "file"     a file ending in .h/.hpp/.hh counts only for its
//                       #define lines of constant values (and the headers it
//                       includes); any other file is read as more script.
//                       Looked for beside the including file, then in -I dirs.
//
// Ids and types
//   A number (0-65535) or a string; strings are upper-cased, and "#12" is the
//   number 12.
//
// Statements
//   LANGUAGE expr               language of the resources that follow (at
//   LANGUAGE primary, sub       first 1033); the second form is MAKELANGID
//
//   STRINGTABLE {
//     id[,] "text"              ids 0-65535, each once per language
//   }
//
//   DIALOG id, x, y, cx, cy     dialog units; then options in any order:
//     STYLE expr                  DS_SETFONT is added when FONT is given
//     EXSTYLE expr
//     CAPTION "text"
//     FONT points, "face" [, weight [, italic 0/1]]
//     MENU id
//     CLASS "name" | atom
//   {
//     CONTROL id, "class", text, style, exstyle, x, y, cx, cy
//   }
//     id: 32 bits (IDC_STATIC is -1); class: a standard class ("BUTTON", "EDIT",
//     "STATIC", "LISTBOX", "COMBOBOX", "SCROLLBAR", "SysListView32",
//     "SysTabControl32", "SysTreeView32", "msctls_updown32",
//     "msctls_progress32", "ToolbarWindow32"; any case) or any other class
//     name; text: "text" or a resource id (icons, bitmaps). Styles are taken
//     exactly as written.
//
//   MENU id {
//     POPUP "text" [, flag]... { items }
//     ITEM "text", id [, flag]...      flags: GRAYED CHECKED DISABLED
//     SEPARATOR
//   }
//
//   BITMAP id, "file.bmp"       kept as the packed DIB (the file without its
//                               14-byte file header)
//   ICON id, "file.ico"         one RT_ICON per image (ids numbered from 1)
//                               and an RT_GROUP_ICON directory named id
//   RESOURCE type, id, FILE "path"     any type, the file's bytes as they are
//   RESOURCE type, id, "text"          ... or a text (no terminating NUL)
//
// Files are found beside the script that names them. Each resource type, id
// and language may occur once.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "emit.h"
#include "lexer.h"
#include "script.h"

namespace {

int Usage() {
  std::cerr << "usage: qvrc [-I dir]... [-d depfile] -o output.cpp script.rc\n";
  return 2;
}

// Writes through a temporary file and a rename, so that a failed run never
// leaves a half-written output behind.
bool WriteFileAtomically(const std::string& path, const std::string& text) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    out.close();
    if (!out) {
      std::remove(temp.c_str());
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> include_dirs;
  std::string output, depfile, script_path;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "-I" || arg == "-o" || arg == "-d") && i + 1 < argc) {
      const std::string value = argv[++i];
      if (arg == "-I") include_dirs.push_back(value);
      else if (arg == "-o") output = value;
      else depfile = value;
    } else if (arg.size() > 2 && arg.compare(0, 2, "-I") == 0) {
      include_dirs.push_back(arg.substr(2));
    } else if (!arg.empty() && arg[0] != '-' && script_path.empty()) {
      script_path = arg;
    } else {
      return Usage();
    }
  }
  if (output.empty() || script_path.empty()) return Usage();

  try {
    const qvrc::Script script = qvrc::CompileScript(script_path, include_dirs);
    if (!WriteFileAtomically(output, qvrc::EmitTable(script, std::filesystem::path(script_path).filename().string()))) {
      std::cerr << "qvrc: cannot write " << output << "\n";
      return 1;
    }
    if (!depfile.empty() && !WriteFileAtomically(depfile, qvrc::EmitDepfile(script, output))) {
      std::cerr << "qvrc: cannot write " << depfile << "\n";
      return 1;
    }
  } catch (const qvrc::CompileError& e) {
    std::cerr << e.what() << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "qvrc: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
