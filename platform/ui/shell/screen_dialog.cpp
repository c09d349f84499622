#include "ui/shell/screen_dialog.h"

#include <cstdlib>
#include <vector>

namespace qvp::ui::commdlg {

DialogDesc ScreenDialog(const std::string& caption, int16_t cx, int16_t cy) {
  DialogDesc d;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER | DS_SETFOREGROUND;
  d.cx = cx;
  d.cy = cy;
  d.caption = NameOrId::Text(caption);
  d.font_face = NameOrId::Text("MS Sans Serif");
  d.font_point_size = 8;
  return d;
}

void AddControl(DialogDesc& d, const char* cls, int id, const char* text, uint32_t style, int16_t x, int16_t y,
                int16_t cx, int16_t cy) {
  ControlDesc c;
  c.window_class = NameOrId::Text(cls);
  c.id = static_cast<uint32_t>(id) & 0xFFFF;
  c.text = NameOrId::Text(text);
  c.style = style | WS_CHILD | WS_VISIBLE;
  c.x = x;
  c.y = y;
  c.cx = cx;
  c.cy = cy;
  d.controls.push_back(std::move(c));
}

INT_PTR RunScreenDialog(const DialogDesc& d, HWND owner, DLGPROC proc, LPARAM param) {
  std::vector<uint8_t> block;
  std::string error;
  if (!BuildDialogTemplate(d, &block, &error)) return -1;
  return DialogBoxIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(block.data()), owner, proc, param);
}

std::string ItemText(HWND dlg, int id) {
  char buffer[4096];
  const UINT n = GetDlgItemTextA(dlg, id, buffer, sizeof buffer);
  return std::string(buffer, n);
}

int ItemNumber(HWND dlg, int id, int fallback) {
  const std::string text = ItemText(dlg, id);
  if (text.empty() || text.size() > 9) return fallback;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  return end != nullptr && *end == '\0' ? static_cast<int>(v) : fallback;
}

}  // namespace qvp::ui::commdlg
