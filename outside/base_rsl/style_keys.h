// The key names of a report style's section in "Style.ini". They are string
// resources of the resource module (style_keys.rc holds the same texts); every
// reader and writer of Style.ini uses this one table.
#pragma once

namespace style_keys {

struct StyleKey {
  int id;            // the string resource that holds the name
  const char* name;  // its text in the English resource module
};

// Colour slots 0-11: six hexadecimal digits RRGGBB.
inline constexpr int kPageBackground = 21201;
inline constexpr int kTitleText = 21202;
inline constexpr int kSectionBar = 21203;
inline constexpr int kSectionText = 21204;
inline constexpr int kTableTitleBar = 21205;
inline constexpr int kTableTitleText = 21206;
inline constexpr int kHeaderRow = 21207;
inline constexpr int kHeaderRowText = 21208;
inline constexpr int kOddRow = 21209;
inline constexpr int kOddRowText = 21210;
inline constexpr int kEvenRow = 21211;
inline constexpr int kEvenRowText = 21212;
// Faces 1-5.
inline constexpr int kTitleFace = 21214;
inline constexpr int kTableTitleFace = 21215;
inline constexpr int kSectionFace = 21216;
inline constexpr int kHeaderRowFace = 21217;
inline constexpr int kDataRowFace = 21218;
// Table settings and pictures.
inline constexpr int kSortColumn = 21219;
inline constexpr int kAlignment = 21220;  // "LEFT", "CENTER" or "RIGHT"
inline constexpr int kShowTitles = 21221;
inline constexpr int kColumns = 21222;
inline constexpr int kBorderWidth = 21223;
inline constexpr int kLogo = 21224;             // file name under "Base\Images\"
inline constexpr int kBackgroundImage = 21225;  // file name under "Base\Images\"; empty: colour
inline constexpr int kTableLayout = 32031;
inline constexpr int kLayoutSize = 32032;

inline constexpr StyleKey kStyleKeys[] = {
    {kPageBackground, "PageBackgroundColor"}, {kTitleText, "TitleTextColor"},
    {kSectionBar, "SectionBarColor"},         {kSectionText, "SectionTextColor"},
    {kTableTitleBar, "TableTitleBarColor"},   {kTableTitleText, "TableTitleTextColor"},
    {kHeaderRow, "HeaderRowColor"},           {kHeaderRowText, "HeaderRowTextColor"},
    {kOddRow, "OddRowColor"},                 {kOddRowText, "OddRowTextColor"},
    {kEvenRow, "EvenRowColor"},               {kEvenRowText, "EvenRowTextColor"},
    {kTitleFace, "TitleFont"},                {kTableTitleFace, "TableTitleFont"},
    {kSectionFace, "SectionFont"},            {kHeaderRowFace, "HeaderRowFont"},
    {kDataRowFace, "DataRowFont"},            {kSortColumn, "SortColumn"},
    {kAlignment, "Alignment"},                {kShowTitles, "ShowTitles"},
    {kColumns, "Columns"},                    {kBorderWidth, "BorderWidth"},
    {kLogo, "Logo"},                          {kBackgroundImage, "BackgroundImage"},
    {kTableLayout, "TableLayout"},            {kLayoutSize, "LayoutSize"},
};

// The name of a key id; null for an id that is not a style key.
inline const char* StyleKeyName(int id) {
  for (const StyleKey& key : kStyleKeys) {
    if (key.id == id) return key.name;
  }
  return nullptr;
}

// The section that lists the style names ("Style 1", "Style 2", ...).
inline constexpr char kStyleListSection[] = "Quorvane Styles";
inline constexpr char kStyleFile[] = "Style.ini";

}  // namespace style_keys
