#include "display/window_list.h"

#include "qvplatform.h"
#include "ui/window_state.h"

namespace qvp::display {

std::vector<TopWindow> ListTopWindows(HWND* foreground) {
  std::vector<TopWindow> out;
  ui::WindowSystem& s = ui::Sys();
  ui::Lock g(s.lock);
  if (foreground) *foreground = s.foreground;
  if (!s.desktop) return out;
  for (const ui::Window* w : s.desktop->children) {
    if (w->gone || w->destroying) continue;
    TopWindow t;
    t.hwnd = w->handle;
    t.owner = w->owner;
    t.rect = w->window_rect;
    t.title = w->text;
    t.visible = (w->style & WS_VISIBLE) != 0;
    t.minimized = (w->style & WS_MINIMIZE) != 0;
    t.caption = (w->style & WS_CAPTION) == WS_CAPTION;
    t.popup = (w->style & WS_POPUP) && !t.caption;
    t.resizable = (w->style & WS_THICKFRAME) != 0;
    t.topmost = (w->ex_style & WS_EX_TOPMOST) != 0;
    t.dialog = w->owner != nullptr || (w->ex_style & WS_EX_DLGMODALFRAME) || ((w->style & WS_DLGFRAME) && !t.resizable);
    t.icon = w->icon_big ? w->icon_big : w->icon_small;
    if (!t.icon && w->cls) t.icon = w->cls->icon ? w->cls->icon : w->cls->small_icon;
    out.push_back(std::move(t));
  }
  return out;
}

HWND TopWindowOf(HWND hwnd) {
  ui::WindowSystem& s = ui::Sys();
  ui::Lock g(s.lock);
  ui::Window* w = ui::FindLocked(hwnd);
  if (!w || w->is_root) return nullptr;
  ui::Window* root = ui::RootOf(w);
  return root && root->parent == s.desktop ? root->handle : nullptr;
}

}  // namespace qvp::display
