#include "style_model.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image_binding.h"
#include "style_keys.h"

using namespace style_keys;

namespace {

constexpr COLORREF kDefaultColors[kStyleColorSlots] = {
    0x80FFFF, 0x000000, 0x000080, 0x00FF40, 0xFFFF80, 0x0000FF,
    0x800000, 0xFFFFFF, 0xC0C0C0, 0x000000, 0xFFFFFF, 0x000000};  // RRGGBB
constexpr int kFaceKeys[kStyleFaces] = {kTitleFace, kSectionFace, kTableTitleFace, kHeaderRowFace, kDataRowFace};
constexpr char kDefaultLogo[] = "qvlogoss.gif";
constexpr size_t kSectionBuffer = 64 * 1024;

COLORREF FromRgbNumber(unsigned long v) {
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

unsigned long ToRgbNumber(COLORREF c) {
  return (static_cast<unsigned long>(GetRValue(c)) << 16) | (static_cast<unsigned long>(GetGValue(c)) << 8) |
         GetBValue(c);
}

std::string ReadText(const StyleModel& m, const std::string& section, int id, const char* fallback, size_t size) {
  std::string buffer(size + 1, '\0');
  const DWORD n = GetPrivateProfileStringA(section.c_str(), StyleKeyText(m, id).c_str(), fallback, buffer.data(),
                                           static_cast<DWORD>(buffer.size()), m.filePath.c_str());
  buffer.resize(n);
  return buffer;
}

int ReadNumber(const StyleModel& m, const std::string& section, int id, int fallback, int low, int high) {
  const int v = static_cast<int>(
      GetPrivateProfileIntA(section.c_str(), StyleKeyText(m, id).c_str(), fallback, m.filePath.c_str()));
  return std::clamp(v, low, high);
}

std::string ListKey(size_t n) { return "Style " + std::to_string(n); }

// The section's lines "key=value\0...\0\0" as the INI layer gives them.
bool ReadSection(const StyleModel& m, const std::string& name, std::string* lines) {
  std::string buffer(kSectionBuffer, '\0');
  const DWORD n = GetPrivateProfileSectionA(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                            m.filePath.c_str());
  if (n + 2 >= buffer.size()) return false;  // would be cut short
  lines->assign(buffer.data(), n + 1);
  return true;
}

bool WriteList(const StyleModel& m, size_t oldCount) {
  bool ok = true;
  for (size_t i = 0; i < m.styleNames.size(); ++i)
    ok = WritePrivateProfileStringA(kStyleListSection, ListKey(i + 1).c_str(), m.styleNames[i].c_str(),
                                    m.filePath.c_str()) && ok;
  for (size_t i = m.styleNames.size(); i < oldCount; ++i)
    ok = WritePrivateProfileStringA(kStyleListSection, ListKey(i + 1).c_str(), nullptr, m.filePath.c_str()) && ok;
  return ok;
}

bool FileWritable(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool Contains(std::string text, const char* part) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text.find(part) != std::string::npos;
}

// Decodes a picture into a fresh record; false (target untouched) when it can't.
bool DecodePicture(const StyleModel& m, const std::string& name, imgdes* target) {
  const std::string path = StyleImagePath(m, name);
  imgdes loaded{};
  int done = 0;
  if (Contains(name, ".jpg")) {
    done = LoadJpegImage(path.c_str(), &loaded);
  } else if (Contains(name, ".gif")) {
    done = LoadGifImage(path.c_str(), &loaded);
  }
  if (!done) return false;
  if (target->hBitmap != nullptr) LazyFreeImage(target);
  const int bits = loaded.bmh != nullptr ? loaded.bmh->biBitCount : 24;
  if (LazyAllocImage(target, static_cast<int>(loaded.endx - loaded.stx + 1), static_cast<int>(loaded.endy - loaded.sty + 1),
                     bits) != 0) {
    LazyFreeImage(&loaded);
    return false;
  }
  LazyCopyImage(&loaded, target);
  LazyFreeImage(&loaded);
  return true;
}

}  // namespace

StyleModel::~StyleModel() {
  if (colorBitmap != nullptr) DeleteObject(colorBitmap);
  if (backgroundBitmap != nullptr) DeleteObject(backgroundBitmap);
  if (logoPalette != nullptr) DeleteObject(logoPalette);
}

void ReleaseStyleImages(StyleModel& m) {
  if (m.backgroundImage.hBitmap != nullptr) LazyFreeImage(&m.backgroundImage);
  if (m.logoImage.hBitmap != nullptr) LazyFreeImage(&m.logoImage);
  if (m.backgroundBitmap != nullptr) DeleteObject(m.backgroundBitmap);
  m.backgroundBitmap = nullptr;
  if (m.logoPalette != nullptr) DeleteObject(m.logoPalette);
  m.logoPalette = nullptr;
}

std::string StyleImagePath(const StyleModel& m, const std::string& name) {
  std::string dir = m.filePath;
  const size_t slash = dir.find_last_of("\\/");
  dir.erase(slash == std::string::npos ? 0 : slash + 1);
  return dir + "Base\\Images\\" + name;
}

StyleModel& TheStyleModel() {
  static StyleModel model;
  return model;
}

std::string StyleFilePath(HINSTANCE resourceModule) {
  char full[MAX_PATH] = {};
  GetModuleFileNameA(resourceModule, full, sizeof full);
  std::string path(full);
  const size_t slash = path.find_last_of("\\/");
  path.erase(slash == std::string::npos ? 0 : slash + 1);
  return path + kStyleFile;
}

std::string StyleKeyText(const StyleModel& model, int id) {
  char text[128] = {};
  if (model.resourceModule != nullptr && LoadStringA(model.resourceModule, static_cast<UINT>(id), text, sizeof text) > 0)
    return text;
  const char* name = StyleKeyName(id);
  return name != nullptr ? name : "";
}

void ResetStyleModel(StyleModel& m, HINSTANCE resourceModule) {
  m.resourceModule = resourceModule;
  m.filePath = StyleFilePath(resourceModule);
  for (int i = 0; i < kStyleColorSlots; ++i) m.colors[static_cast<size_t>(i)] = FromRgbNumber(kDefaultColors[i]);
  m.spareColor = 0;
  m.faces = {"Arial", "Times New Roman", "Times New Roman", "Arial", "Arial"};
  m.columnShown = {1, 1, 1, 0};
  m.sortColumn = 0;
  m.columnOrder = {0, 1, 2, 3};
  m.columnTitles = {"Hits", "Hits Percent", "User Session", "User Session Percent"};
  m.columnCount = 3;
  m.alignment = 2;
  m.showTitles = 1;
  m.borderWidth = 1;
  m.tableLayout = 0;
  m.layoutSize = 20;
  m.newStyleMode = 0;
  m.styleNames.clear();
  m.backgroundImageMode = 0;
  m.colorBitmapStale = 1;
}

std::vector<std::string> ReadStyleNames(const StyleModel& m) {
  std::vector<std::string> names;
  for (size_t n = 1;; ++n) {
    char text[261] = {};
    GetPrivateProfileStringA(kStyleListSection, ListKey(n).c_str(), "", text, sizeof text, m.filePath.c_str());
    if (text[0] == '\0') break;
    names.emplace_back(text);
  }
  return names;
}

void ReadStyle(StyleModel& m, const std::string& name) {
  for (int i = 0; i < kStyleColorSlots; ++i) {
    const std::string v = ReadText(m, name, kPageBackground + i, "0", 32);
    m.colors[static_cast<size_t>(i)] = FromRgbNumber(std::strtoul(v.c_str(), nullptr, 16) & 0xFFFFFF);
  }
  for (int i = 0; i < kStyleFaces; ++i) m.faces[static_cast<size_t>(i)] = ReadText(m, name, kFaceKeys[i], "Arial", 64);
  m.backgroundImageName = ReadText(m, name, kBackgroundImage, "", 260);
  m.backgroundImageMode = m.backgroundImageName.empty() ? 0 : 1;
  m.logoName = ReadText(m, name, kLogo, kDefaultLogo, 260);
  if (m.logoName.empty()) m.logoName = kDefaultLogo;
  const std::string columns = ReadText(m, name, kColumns, "012", 32);
  m.columnCount = 0;
  for (int k = 0; k < kStyleColumns; ++k) {
    const bool shown = columns.find(static_cast<char>('0' + k)) != std::string::npos;
    m.columnShown[static_cast<size_t>(k)] = shown ? 1 : 0;
    if (shown) m.columnOrder[static_cast<size_t>(m.columnCount++)] = k;
  }
  m.sortColumn = ReadNumber(m, name, kSortColumn, 1, 0, kStyleColumns - 1);
  m.showTitles = ReadNumber(m, name, kShowTitles, 1, 0, 1);
  m.layoutSize = ReadNumber(m, name, kLayoutSize, 20, 5, 50);
  m.borderWidth = ReadNumber(m, name, kBorderWidth, 1, 0, 5);
  m.tableLayout = ReadNumber(m, name, kTableLayout, 0, 0, 1);
  const std::string align = ReadText(m, name, kAlignment, "CENTER", 32);
  m.alignment = align == "LEFT" ? 2 : align == "RIGHT" ? 3 : 1;
  LoadBackgroundPicture(m);
  LoadLogoPicture(m);
  m.colorBitmapStale = 1;
}

bool LoadBackgroundPicture(StyleModel& m) {
  if (m.backgroundImageName.empty()) {
    if (m.backgroundImage.hBitmap != nullptr) LazyFreeImage(&m.backgroundImage);
    if (m.backgroundBitmap != nullptr) DeleteObject(m.backgroundBitmap);
    m.backgroundBitmap = nullptr;
    return false;
  }
  if (!DecodePicture(m, m.backgroundImageName, &m.backgroundImage)) return false;
  if (m.backgroundBitmap != nullptr) DeleteObject(m.backgroundBitmap);
  m.backgroundBitmap = nullptr;
  m.backgroundImageMode = 1;
  return true;
}

bool LoadLogoPicture(StyleModel& m) {
  if (m.logoName.empty()) {
    if (m.logoImage.hBitmap != nullptr) LazyFreeImage(&m.logoImage);
    if (m.logoPalette != nullptr) DeleteObject(m.logoPalette);
    m.logoPalette = nullptr;
    return false;
  }
  if (!DecodePicture(m, m.logoName, &m.logoImage)) return false;
  if (m.logoPalette != nullptr) DeleteObject(m.logoPalette);
  m.logoPalette = nullptr;
  LazyVicToWinPal(&m.logoImage, &m.logoPalette);
  return true;
}

bool WriteStyle(const StyleModel& m, const std::string& name) {
  const char* file = m.filePath.c_str();
  bool ok = true;
  auto put = [&](int id, const std::string& value) {
    ok = WritePrivateProfileStringA(name.c_str(), StyleKeyText(m, id).c_str(), value.c_str(), file) && ok;
  };
  char text[32];
  for (int i = 0; i < kStyleColorSlots; ++i) {
    std::snprintf(text, sizeof text, "%06lX", ToRgbNumber(m.colors[static_cast<size_t>(i)]));
    put(kPageBackground + i, text);
  }
  for (int i = 0; i < kStyleFaces; ++i) put(kFaceKeys[i], m.faces[static_cast<size_t>(i)]);
  put(kBackgroundImage, m.backgroundImageMode ? m.backgroundImageName : std::string());
  put(kLogo, m.logoName);
  std::string columns;
  for (int k = 0; k < kStyleColumns; ++k)
    if (m.columnShown[static_cast<size_t>(k)]) columns += static_cast<char>('0' + k);
  put(kColumns, columns);
  put(kSortColumn, std::to_string(m.sortColumn));
  put(kAlignment, m.alignment == 2 ? "LEFT" : m.alignment == 3 ? "RIGHT" : "CENTER");
  put(kShowTitles, m.showTitles ? "1" : "0");
  put(kTableLayout, m.tableLayout ? "1" : "0");
  put(kBorderWidth, std::to_string(m.borderWidth));
  put(kLayoutSize, std::to_string(m.layoutSize));
  return ok;
}

bool IsValidStyleName(const std::string& name) {
  if (name.empty() || name.size() > kStyleNameMax) return false;
  if (name.front() == ' ' || name.back() == ' ' || name.front() == '\t' || name.back() == '\t') return false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F || c == '[' || c == ']' || c == '=') return false;
  }
  return true;
}

int FindStyleName(const std::vector<std::string>& names, const std::string& name) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i].size() == name.size() &&
        std::equal(names[i].begin(), names[i].end(), name.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        }))
      return static_cast<int>(i);
  }
  return -1;
}

StyleChange SaveStyle(StyleModel& m, const std::string& name) {
  if (!IsValidStyleName(name)) return StyleChange::kBadName;
  if (!FileWritable(m.filePath)) return StyleChange::kFileError;
  if (FindStyleName(m.styleNames, name) < 0) {
    m.styleNames.push_back(name);
    if (!WritePrivateProfileStringA(kStyleListSection, ListKey(m.styleNames.size()).c_str(), name.c_str(),
                                    m.filePath.c_str())) {
      m.styleNames.pop_back();
      return StyleChange::kFileError;
    }
  }
  return WriteStyle(m, name) ? StyleChange::kDone : StyleChange::kFileError;
}

StyleChange RemoveStyle(StyleModel& m, const std::string& name) {
  const int at = FindStyleName(m.styleNames, name);
  if (at < 0) return StyleChange::kMissing;
  if (!FileWritable(m.filePath)) return StyleChange::kFileError;
  const std::string stored = m.styleNames[static_cast<size_t>(at)];
  if (!WritePrivateProfileStringA(stored.c_str(), nullptr, nullptr, m.filePath.c_str())) return StyleChange::kFileError;
  const size_t oldCount = m.styleNames.size();
  m.styleNames.erase(m.styleNames.begin() + at);
  return WriteList(m, oldCount) ? StyleChange::kDone : StyleChange::kFileError;
}

StyleChange RenameStyleSection(StyleModel& m, const std::string& oldName, const std::string& newName) {
  const int at = FindStyleName(m.styleNames, oldName);
  if (at < 0) return StyleChange::kMissing;
  if (!IsValidStyleName(newName)) return StyleChange::kBadName;
  const int other = FindStyleName(m.styleNames, newName);
  if (other >= 0 && other != at) return StyleChange::kExists;
  if (!FileWritable(m.filePath)) return StyleChange::kFileError;
  const std::string stored = m.styleNames[static_cast<size_t>(at)];
  std::string lines;
  if (!ReadSection(m, stored, &lines)) return StyleChange::kFileError;
  if (stored != newName) {
    // A change of case only: the section goes first, then comes back under the new spelling.
    if (!WritePrivateProfileStringA(stored.c_str(), nullptr, nullptr, m.filePath.c_str()))
      return StyleChange::kFileError;
    if (!WritePrivateProfileSectionA(newName.c_str(), lines.c_str(), m.filePath.c_str())) {
      WritePrivateProfileSectionA(stored.c_str(), lines.c_str(), m.filePath.c_str());
      return StyleChange::kFileError;
    }
  }
  m.styleNames[static_cast<size_t>(at)] = newName;
  return WriteList(m, m.styleNames.size()) ? StyleChange::kDone : StyleChange::kFileError;
}
