// Finding windows by class, title, control id and dialog template.
#include <cctype>

#include "ui/dialog_state.h"
#include "ui/driver/driver_input.h"

namespace qvp::driver {
namespace {

// "&Next >" as the user reads it: "Next >".
std::string WithoutMnemonics(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

bool Matches(HWND h, const WindowQuery& q) {
  if (!q.class_name.empty() && !ClassIs(h, q.class_name.c_str())) return false;
  if (q.id) {
    if (!(GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD) || GetDlgCtrlID(h) != *q.id) return false;
  }
  if (q.template_id && DialogTemplateId(h) != q.template_id) return false;
  if (q.title) {
    std::string text = Text(h);
    if (text != *q.title && WithoutMnemonics(text) != *q.title) return false;
  }
  if (q.visible_only && !IsWindowVisible(h)) return false;
  return true;
}

void Walk(HWND parent, const WindowQuery& q, std::vector<HWND>* out) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (Matches(c, q)) out->push_back(c);
    Walk(c, q, out);
  }
}

BOOL CALLBACK CollectTop(HWND h, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
  return TRUE;
}

}  // namespace

std::vector<HWND> FindAll(const WindowQuery& query) {
  std::vector<HWND> out;
  if (query.within) {
    Walk(query.within, query, &out);
    return out;
  }
  std::vector<HWND> tops;
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&tops));
  for (HWND top : tops) {
    if (Matches(top, query)) out.push_back(top);
    Walk(top, query, &out);
  }
  return out;
}

HWND Find(const WindowQuery& query) {
  std::vector<HWND> all = FindAll(query);
  return all.empty() ? nullptr : all.front();
}

HWND FindControl(HWND dialog, int id) {
  if (!IsWindow(dialog)) return nullptr;
  if (HWND direct = GetDlgItem(dialog, id)) return direct;
  // Inside the dialog's own child dialogs (property pages): the one showing first.
  WindowQuery q;
  q.id = id;
  q.within = dialog;
  std::vector<HWND> inside = FindAll(q);
  for (HWND h : inside)
    if (IsWindowVisible(h)) return h;
  if (!inside.empty()) return inside.front();
  // The dialogs around it (a page's sheet).
  for (HWND h = dialog; (GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD) && GetParent(h);) {
    h = GetParent(h);
    if (HWND up = GetDlgItem(h, id)) return up;
  }
  return nullptr;
}

UINT DialogTemplateId(HWND dialog) {
  qvp::ui::DialogInfo info;
  return qvp::ui::GetDialog(dialog, &info) ? info.template_id : 0;
}

}  // namespace qvp::driver
