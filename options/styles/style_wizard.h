// The style wizard: six pages over a live sample report in which the user
// picks or starts a style, edits its colours, faces, table and layout, and
// saves it under a name into Style.ini.
#pragma once

#include <string>

#include "style_model.h"

inline constexpr int kWizardFirstTemplate = 20000;
inline constexpr int kWizardPageCount = 6;
inline constexpr int kRenameTemplate = 20006;
inline constexpr char kWizardBoxCaption[] = "Quorvane Style Widzard";

// Control ids of the pages.
inline constexpr int kStyleList = 20150;
inline constexpr int kEditSelected = 20151;
inline constexpr int kNewStyle = 20152;
inline constexpr int kDeleteButton = 20153;
inline constexpr int kRenameButton = 20155;
inline constexpr int kFirstSwatch = 20101;
inline constexpr int kFirstColorEdit = 20114;
inline constexpr int kColorRows = 13;
inline constexpr int kBackgroundColorRadio = 1095;
inline constexpr int kBackgroundImageRadio = 1094;
inline constexpr int kBackgroundBrowse = 20171;
inline constexpr int kFaceCombos[kStyleFaces] = {20128, 20129, 20127, 20130, 20131};
inline constexpr int kFirstColumnCheck = 20132;
inline constexpr int kColumnOrderList = 20136;
inline constexpr int kFirstSortRadio = 20137;
inline constexpr int kOrderUp = 20141;
inline constexpr int kOrderDown = 20142;
inline constexpr int kBorderUpDown = 20157;
inline constexpr int kBorderEdit = 20158;
inline constexpr int kTableLayoutOn = 1129;
inline constexpr int kTableLayoutOff = 1130;
inline constexpr int kAlignLeft = 20145;
inline constexpr int kAlignRight = 20146;
inline constexpr int kAlignCentre = 20147;
inline constexpr int kShowTitlesCheck = 20148;
inline constexpr int kLogoBrowse = 20159;
inline constexpr int kLogoPicture = 20160;
inline constexpr int kLogoNameText = 20161;
inline constexpr int kSizeEdit = 1133;
inline constexpr int kSizeUpDown = 1134;
inline constexpr int kSaveName = 20162;
inline constexpr int kRenameOld = 20163;
inline constexpr int kRenameNew = 20164;

// Opens the wizard modally over `owner`; the property sheet's result.
INT_PTR ShowStyleWizard(HWND owner);

INT_PTR CALLBACK StyleListPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK StyleColorsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK StyleFontsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK StyleTablePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK StyleLayoutPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK StyleSavePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RenameStyleDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The style list of the file into the model and the first page's list.
void ListStyles(HWND page);
// Reads the named style into the model.
void LoadStyle(HWND window, const std::string& name);
// Saves the model under the name of the last page: 1 saved, 0 not (the user
// declined to overwrite, the name is not usable or the file can't be written).
int SaveStyleAs(HWND lastPage);
void DeleteStyle(HWND page, int index);
void RenameStyle(HWND page, int index);

// Lets the user pick a picture and brings it into the images folder beside
// Style.ini: 1 with `name` the picture's file name, 0 (name unchanged) when
// cancelled or the copy failed.
int ChooseImageFile(HWND owner, std::string* name);

// Makes an edit take hexadecimal digits only (upper case).
BOOL SubclassHexEdit(HWND edit);
LRESULT CALLBACK HexEditWndProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

// Shared by the pages.
namespace style_wizard {
// The wizard's answer to notifications every page handles the same way;
// true when handled.
bool HandleCommonNotify(HWND page, int index, const NMHDR* header, INT_PTR* result);
// The common messages (fonts, palette, the preview); true when handled.
bool HandleCommonMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result);
void RepaintPreview(HWND page);
void ShowError(HWND owner, const std::string& text);
}  // namespace style_wizard
