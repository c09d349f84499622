// Report styles: the named sets of colours, faces, table settings and
// pictures in "Style.ini" beside the resource module, and the in-memory model
// that the style wizard edits and its preview paints.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "qvplatform.h"
#include "vic32.h"

inline constexpr int kStyleColorSlots = 12;
inline constexpr int kStyleFaces = 5;
inline constexpr int kStyleColumns = 4;
inline constexpr size_t kStyleNameMax = 64;

struct StyleModel {
  HINSTANCE resourceModule = nullptr;
  std::string filePath;
  std::array<COLORREF, kStyleColorSlots> colors{};
  COLORREF spareColor = 0;  // drawn in the colour page's swatch, never written
  std::array<std::string, kStyleFaces> faces;
  std::array<int, kStyleColumns> columnShown{};
  int sortColumn = 0;
  std::array<int, kStyleColumns> columnOrder{};
  std::array<std::string, kStyleColumns> columnTitles;
  int columnCount = 0;
  int alignment = 2;  // 1 centre, 2 left, 3 right
  int showTitles = 1;
  int borderWidth = 1;
  int tableLayout = 0;
  int layoutSize = 20;
  int newStyleMode = 0;
  std::vector<std::string> styleNames;
  std::string currentStyle;
  int backgroundImageMode = 0;
  std::string backgroundImageName;
  std::string logoName;
  imgdes backgroundImage{};  // holds an image when its hBitmap is set
  HBITMAP backgroundBitmap = nullptr;
  imgdes logoImage{};
  HPALETTE logoPalette = nullptr;
  HBITMAP colorBitmap = nullptr;
  int colorBitmapStale = 1;

  StyleModel() = default;
  ~StyleModel();
  StyleModel(const StyleModel&) = delete;
  StyleModel& operator=(const StyleModel&) = delete;
};

// Frees the decoded pictures through the image library (before it goes).
void ReleaseStyleImages(StyleModel& model);
// The folder of the style pictures: "Base\Images\" beside Style.ini.
std::string StyleImagePath(const StyleModel& model, const std::string& name);

// The program's one model.
StyleModel& TheStyleModel();

// The wizard-start defaults; the file path from the resource module's folder.
void ResetStyleModel(StyleModel& model, HINSTANCE resourceModule);
// "Style.ini" in the folder of the module's file.
std::string StyleFilePath(HINSTANCE resourceModule);
// The key name of a style key id (from the resource module's strings).
std::string StyleKeyText(const StyleModel& model, int id);

// The names of section "Quorvane Styles", up to the first missing number.
std::vector<std::string> ReadStyleNames(const StyleModel& model);
// Reads the style's section into the model (missing keys: their defaults;
// numbers out of range are pulled into it) and decodes its pictures; a
// picture that can't be decoded leaves the previous one.
void ReadStyle(StyleModel& model, const std::string& name);
// Decode the named picture into the model; false (the previous picture kept)
// when there is no name or it can't be decoded.
bool LoadBackgroundPicture(StyleModel& model);
bool LoadLogoPicture(StyleModel& model);
// Writes every key of the style's section; false when the file can't be written.
bool WriteStyle(const StyleModel& model, const std::string& name);

// A style name: 1-64 characters, no '[', ']', '=', control character or outer blank.
bool IsValidStyleName(const std::string& name);
// The index of a name in the list, compared without regard to case; -1 when absent.
int FindStyleName(const std::vector<std::string>& names, const std::string& name);

enum class StyleChange { kDone, kBadName, kExists, kMissing, kFileError };
// Adds the name to the list (when new) and writes the style.
StyleChange SaveStyle(StyleModel& model, const std::string& name);
// Removes the style's section and its list entry; the list stays dense.
StyleChange RemoveStyle(StyleModel& model, const std::string& name);
// Moves the style's section to the new name; refused onto another style.
StyleChange RenameStyleSection(StyleModel& model, const std::string& oldName, const std::string& newName);
