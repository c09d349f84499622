// What a resource script compiles to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvrc {

// A resource type or name: a number, or a text (stored in upper case).
struct ResName {
  bool is_text = false;
  uint16_t number = 0;
  std::string text;

  static ResName Number(uint16_t n) { return {false, n, {}}; }
  static ResName Text(std::string t) { return {true, 0, std::move(t)}; }
  bool operator==(const ResName&) const = default;
  std::string Describe() const { return is_text ? "\"" + text + "\"" : std::to_string(number); }
};

struct Resource {
  ResName type;
  ResName name;
  uint16_t language = 1033;
  std::vector<uint8_t> data;
  std::string where;  // "file:line" of the statement that made it
};

struct Script {
  std::vector<Resource> resources;
  std::vector<std::string> dependencies;  // the script, the files it includes and embeds
};

// Compiles the script at `path`; #include looks beside the including file, then
// in `include_dirs`. Throws CompileError.
Script CompileScript(const std::string& path, const std::vector<std::string>& include_dirs);

// Numbered resource types the compiler makes.
inline constexpr uint16_t kTypeBitmap = 2;
inline constexpr uint16_t kTypeIcon = 3;
inline constexpr uint16_t kTypeMenu = 4;
inline constexpr uint16_t kTypeDialog = 5;
inline constexpr uint16_t kTypeString = 6;
inline constexpr uint16_t kTypeGroupIcon = 14;

}  // namespace qvrc
