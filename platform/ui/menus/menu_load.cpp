// Menus built from the layer's flat menu templates: LoadMenuA (a module's menu
// resource) and LoadMenuIndirectA (a template in memory).
#include <vector>

#include "qvplatform/dlgtemplate.h"
#include "ui/last_error.h"
#include "ui/menus/menu_store.h"

using namespace qvp::ui::menus;
using qvp::ui::SetError;

namespace {

// Builds the menu tree of a validated template; the reader guarantees that the
// items form a tree, so every menu is made once.
HMENU BuildFromTemplate(const qvp::MenuTemplateReader& reader) {
  struct Pending {
    HMENU menu;
    size_t first;
    size_t count;
  };
  Guard g(TheStore().lock);
  HMENU top = AddMenu(false);
  std::vector<Pending> todo{{top, 0, reader.top_count()}};
  while (!todo.empty()) {
    Pending p = todo.back();
    todo.pop_back();
    Menu* m = FindMenuQuiet(p.menu);
    for (size_t i = p.first; i < p.first + p.count; ++i) {
      const qvp::MenuItemView view = reader.item(i);
      Item item;
      if (view.flags & qvp::kMenuGrayed) item.state |= MF_GRAYED;
      if (view.flags & qvp::kMenuDisabled) item.state |= MF_DISABLED;
      if (view.flags & qvp::kMenuChecked) item.state |= MF_CHECKED;
      if (view.flags & qvp::kMenuSeparator) item.type = MFT_SEPARATOR;
      item.text = std::string(view.text);
      item.id = view.id;
      if (view.flags & qvp::kMenuPopup) {
        item.submenu = AddMenu(true);
        item.id = static_cast<UINT>(reinterpret_cast<uintptr_t>(item.submenu));
        todo.push_back({item.submenu, view.first_child, view.child_count});
      }
      m->items.push_back(std::move(item));
    }
  }
  return top;
}

}  // namespace

HMENU WINAPI LoadMenuIndirectA(const MENUTEMPLATEA* lpMenuTemplate) {
  if (!lpMenuTemplate) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  qvp::MenuTemplateReader reader;
  if (!reader.OpenUnsized(lpMenuTemplate)) {
    SetError(ERROR_INVALID_DATA);
    return nullptr;
  }
  return BuildFromTemplate(reader);
}

HMENU WINAPI LoadMenuA(HINSTANCE hInstance, LPCSTR lpMenuName) {
  qvp::ResourceBytes bytes = qvp::FindMenuTemplate(hInstance, lpMenuName);
  if (!bytes) return nullptr;  // the resource functions set the error
  qvp::MenuTemplateReader reader;
  if (!reader.Open(bytes.data, bytes.size)) {
    SetError(ERROR_INVALID_DATA);
    return nullptr;
  }
  return BuildFromTemplate(reader);
}
