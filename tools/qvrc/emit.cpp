#include "emit.h"

#include <cstdio>

namespace qvrc {
namespace {

// A C++ string literal; octal escapes, which never swallow a following digit
// past three, keep every byte exact.
std::string Literal(const std::string& bytes) {
  std::string out = "\"";
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '?') {
      out += ch;
    } else {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\%03o", c);
      out += esc;
    }
  }
  return out + "\"";
}

std::string EscapeDepPath(const std::string& path) {
  std::string out;
  for (const char c : path) {
    if (c == ' ' || c == '#' || c == '\\') out += '\\';
    if (c == '$') out += '$';
    out += c;
  }
  return out;
}

}  // namespace

std::string EmitTable(const Script& script, const std::string& origin) {
  std::string out;
  out += "// Resources compiled from " + origin + " by qvrc. Generated: do not edit.\n";
  out += "#include \"qvplatform/resources.h\"\n\nnamespace {\n\n";
  const auto& rs = script.resources;
  for (size_t i = 0; i < rs.size(); ++i) {
    out += "alignas(8) const unsigned char kData" + std::to_string(i) + "[] = {";
    if (rs[i].data.empty()) out += "0";  // no empty arrays in C++; the size says 0
    for (size_t k = 0; k < rs[i].data.size(); ++k) {
      out += (k % 20 == 0) ? "\n  " : " ";
      out += std::to_string(rs[i].data[k]) + ",";
    }
    out += "\n};\n";
  }
  out += "\nconst QvResourceEntry kEntries[] = {\n";
  for (size_t i = 0; i < rs.size(); ++i) {
    const Resource& r = rs[i];
    out += "  {" + (r.type.is_text ? Literal(r.type.text) : std::string("nullptr")) + ", " +
           (r.name.is_text ? Literal(r.name.text) : std::string("nullptr")) + ", kData" + std::to_string(i) + ", " +
           std::to_string(r.data.size()) + "u, " + std::to_string(r.type.number) + ", " +
           std::to_string(r.name.number) + ", " + std::to_string(r.language) + ", 0},\n";
  }
  if (rs.empty()) out += "  {nullptr, nullptr, nullptr, 0u, 0, 0, 0, 0},\n";  // no empty arrays; the count says 0
  out += "};\n\n}  // namespace\n\n";
  // Exported, yet every use inside the module binds to the module's own table:
  // a program that exports a table of its own (the test programs do) must not
  // stand in for a module's, nor be registered twice by a sanitizer.
  out += "extern \"C\" __attribute__((visibility(\"protected\"))) const QvResourceDirectory QvResourceTable = "
         "{QV_RESOURCE_TABLE_MAGIC, QV_RESOURCE_TABLE_VERSION, " +
         std::to_string(rs.size()) + "u, 0u, kEntries};\n";
  return out;
}

std::string EmitDepfile(const Script& script, const std::string& target) {
  std::string out = EscapeDepPath(target) + ":";
  for (const std::string& dep : script.dependencies) out += " \\\n  " + EscapeDepPath(dep);
  return out + "\n";
}

}  // namespace qvrc
