// The data-source chooser as a dialog on the screen: the list of data
// sources, a user name and a password.
#include "ui/data_source_screen.h"

#include <algorithm>
#include <vector>

#include "qvplatform/display.h"
#include "qvplatform/dlgtemplate.h"

namespace qvp::ui {
namespace {

constexpr int kSources = 100;
constexpr int kUser = 101;
constexpr int kPassword = 102;
constexpr int kLabel = 0xFFFF;

struct Chooser {
  std::vector<std::string> names;  // the data source of each list line
  std::string connection;          // set by OK
};

std::string ItemText(HWND dlg, int id) {
  HWND item = GetDlgItem(dlg, id);
  std::string text(static_cast<size_t>(GetWindowTextLengthA(item)) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(item, text.data(), static_cast<int>(text.size()))));
  return text;
}

void UpdateOk(HWND dlg) {
  EnableWindow(GetDlgItem(dlg, IDOK), SendDlgItemMessageA(dlg, kSources, LB_GETCURSEL, 0, 0) >= 0);
}

bool Choose(HWND dlg, Chooser* chooser) {
  const LRESULT index = SendDlgItemMessageA(dlg, kSources, LB_GETCURSEL, 0, 0);
  if (index < 0 || static_cast<size_t>(index) >= chooser->names.size()) return false;
  std::string text = "DSN=" + ConnectionValue(chooser->names[static_cast<size_t>(index)]);
  const std::string user = ItemText(dlg, kUser);
  const std::string password = ItemText(dlg, kPassword);
  if (!user.empty()) text += ";UID=" + ConnectionValue(user);
  if (!password.empty()) text += ";PWD=" + ConnectionValue(password);
  chooser->connection = text;
  return true;
}

INT_PTR CALLBACK ChooserProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* chooser = reinterpret_cast<Chooser*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      chooser = reinterpret_cast<Chooser*>(lp);
      HWND list = GetDlgItem(dlg, kSources);
      for (const std::string& name : chooser->names) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
      }
      if (!chooser->names.empty()) SendMessageA(list, LB_SETCURSEL, 0, 0);
      SendDlgItemMessageA(dlg, kUser, EM_LIMITTEXT, 255, 0);
      SendDlgItemMessageA(dlg, kPassword, EM_LIMITTEXT, 255, 0);
      UpdateOk(dlg);
      RECT box;
      GetWindowRect(dlg, &box);
      RECT over{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
      if (HWND owner = GetWindow(dlg, GW_OWNER)) GetWindowRect(owner, &over);
      const int width = box.right - box.left, height = box.bottom - box.top;
      SetWindowPos(dlg, nullptr, std::max<int>(0, (over.left + over.right - width) / 2),
                   std::max<int>(0, (over.top + over.bottom - height) / 2), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      SetForegroundWindow(dlg);
      SetFocus(list);
      return FALSE;
    }
    case WM_COMMAND:
      if (chooser == nullptr) return FALSE;
      switch (LOWORD(wp)) {
        case kSources:
          if (HIWORD(wp) == LBN_SELCHANGE) UpdateOk(dlg);
          if (HIWORD(wp) == LBN_DBLCLK && Choose(dlg, chooser)) EndDialog(dlg, IDOK);
          return TRUE;
        case IDOK:
          if (Choose(dlg, chooser)) EndDialog(dlg, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dlg, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

ControlDesc Control(const char* cls, int id, const char* text, uint32_t style, int x, int y, int cx, int cy) {
  ControlDesc c;
  c.window_class = NameOrId::Text(cls);
  c.id = static_cast<uint32_t>(id);
  c.text = NameOrId::Text(text);
  c.style = style | WS_CHILD | WS_VISIBLE;
  c.x = static_cast<int16_t>(x);
  c.y = static_cast<int16_t>(y);
  c.cx = static_cast<int16_t>(cx);
  c.cy = static_cast<int16_t>(cy);
  return c;
}

}  // namespace

std::string ConnectionValue(const std::string& value) {
  const bool braced = value.find_first_of(";{}") != std::string::npos ||
                      (!value.empty() && (value.front() == ' ' || value.back() == ' '));
  if (!braced) return value;
  std::string text = "{";
  for (char c : value) {
    text += c;
    if (c == '}') text += '}';
  }
  return text + "}";
}

std::optional<PromptAnswer> ShowDataSourceChooserOnScreen(HWND owner, const std::string& caption,
                                                          const std::string& sources) {
  if (!DisplayOpen()) return std::nullopt;
  Chooser chooser;
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < sources.size()) {
    size_t end = sources.find('\n', start);
    if (end == std::string::npos) end = sources.size();
    const std::string line = sources.substr(start, end - start);
    const size_t cut = line.find(" - ");
    if (!line.empty()) chooser.names.push_back(cut == std::string::npos ? line : line.substr(0, cut));
    start = end + 1;
  }
  DialogDesc d;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_SETFOREGROUND;
  d.cx = 214;
  d.cy = 137;
  d.caption = NameOrId::Text(caption);
  d.font_face = NameOrId::Text("MS Sans Serif");
  d.font_point_size = 8;
  d.controls.push_back(Control("Static", kLabel, "&Data source:", SS_LEFT, 7, 7, 200, 8));
  d.controls.push_back(Control("ListBox", kSources, "", LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 17, 200,
                               60));
  d.controls.push_back(Control("Static", kLabel, "&User name:", SS_LEFT, 7, 84, 60, 8));
  d.controls.push_back(Control("Edit", kUser, "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 70, 82, 137, 12));
  d.controls.push_back(Control("Static", kLabel, "&Password:", SS_LEFT, 7, 100, 60, 8));
  d.controls.push_back(
      Control("Edit", kPassword, "", ES_AUTOHSCROLL | ES_PASSWORD | WS_BORDER | WS_TABSTOP, 70, 98, 137, 12));
  d.controls.push_back(Control("Button", IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 101, 118, 50, 14));
  d.controls.push_back(Control("Button", IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 157, 118, 50, 14));
  std::vector<uint8_t> block;
  std::string error;
  if (!BuildDialogTemplate(d, &block, &error)) return std::nullopt;
  const INT_PTR result = DialogBoxIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(block.data()), owner,
                                                 ChooserProc, reinterpret_cast<LPARAM>(&chooser));
  if (result <= 0) return std::nullopt;
  PromptAnswer answer;
  answer.result = static_cast<int>(result);
  if (answer.result == IDOK) answer.text = chooser.connection;
  return answer;
}

}  // namespace qvp::ui
