#include "ui/controls/list_ops.h"

#include <cstring>
#include <string>

#include "qvplatform/kernel.h"
#include "ui/controls/control_common.h"

namespace qvp::ui {
namespace {

// WM_COMPAREITEM: negative when the new item (data `mine`) sorts before item `other`.
int CompareByParent(const ListOwner& owner, const ItemList& list, ULONG_PTR mine, int other) {
  HWND parent = ParentOf(owner.control);
  if (!parent) return 1;
  COMPAREITEMSTRUCT cis{};
  cis.CtlType = owner.ctl_type;
  cis.CtlID = ControlId(owner.control);
  cis.hwndItem = owner.control;
  cis.itemID1 = static_cast<UINT>(-1);
  cis.itemData1 = mine;
  cis.itemID2 = static_cast<UINT>(other);
  cis.itemData2 = list.at(other).data;
  cis.dwLocaleId = 0x0400;  // the user's default locale
  return static_cast<int>(SendMessageA(parent, WM_COMPAREITEM, cis.CtlID, reinterpret_cast<LPARAM>(&cis)));
}

}  // namespace

UINT MeasureListItem(const ListOwner& owner, UINT item_id, ULONG_PTR data, UINT height, UINT width) {
  HWND parent = ParentOf(owner.control);
  MEASUREITEMSTRUCT mis{};
  mis.CtlType = owner.ctl_type;
  mis.CtlID = ControlId(owner.control);
  mis.itemID = item_id;
  mis.itemWidth = width;
  mis.itemHeight = height;
  mis.itemData = data;
  if (parent) SendMessageA(parent, WM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis));
  return mis.itemHeight;
}

int AddListItem(ItemList& list, const ListOwner& owner, LPARAM value, int index, bool sorted_add) {
  ListItem item;
  if (owner.has_strings) {
    item.text = value ? reinterpret_cast<LPCSTR>(value) : "";
  } else {
    item.data = static_cast<ULONG_PTR>(value);
  }
  if (sorted_add && owner.sorted) {
    const std::string& text = item.text;
    if (owner.has_strings)
      index = list.SortedPosition([&](int i) { return lstrcmpiA(text.c_str(), list.at(i).text.c_str()); });
    else
      index = list.SortedPosition([&](int i) { return CompareByParent(owner, list, item.data, i); });
  } else if (sorted_add) {
    index = -1;
  }
  if (index > list.count()) return LB_ERR;
  if (owner.variable) {
    const int at = index < 0 ? list.count() : index;
    RECT r = ClientRectOf(owner.control);
    item.height = MeasureListItem(owner, static_cast<UINT>(at), item.data, owner.default_height,
                                  static_cast<UINT>(r.right - r.left));
  }
  return list.Insert(index, std::move(item));
}

bool DeleteListItem(ItemList& list, const ListOwner& owner, int index) {
  if (!list.valid(index)) return false;
  const ULONG_PTR data = list.at(index).data;
  HWND parent = ParentOf(owner.control);
  if (data && parent) {
    DELETEITEMSTRUCT dis{};
    dis.CtlType = owner.ctl_type;
    dis.CtlID = ControlId(owner.control);
    dis.itemID = static_cast<UINT>(index);
    dis.hwndItem = owner.control;
    dis.itemData = data;
    SendMessageA(parent, WM_DELETEITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
  }
  return list.Erase(index);
}

void ClearListItems(ItemList& list, const ListOwner& owner) {
  for (int i = list.count() - 1; i >= 0; --i) DeleteListItem(list, owner, i);
  list.Clear();
}

int FindListItem(const ItemList& list, const ListOwner& owner, WPARAM after, LPARAM value, bool exact) {
  const int start = static_cast<int>(static_cast<DWORD>(after));
  if (owner.has_strings) {
    std::string want = value ? reinterpret_cast<LPCSTR>(value) : "";
    return list.Find(start, [&](const ListItem& i) {
      return exact ? ItemList::Equals(i.text, want) : ItemList::StartsWith(i.text, want);
    });
  }
  const auto data = static_cast<ULONG_PTR>(value);
  if (owner.sorted) {
    int n = list.count();
    int first = (start < 0 || start >= n) ? 0 : start + 1;
    for (int k = 0; k < n; ++k) {
      int i = (first + k) % n;
      if (CompareByParent(owner, list, data, i) == 0) return i;
    }
    return -1;
  }
  return list.Find(start, [&](const ListItem& i) { return i.data == data; });
}

LRESULT GetListText(const ItemList& list, const ListOwner& owner, int index, LPARAM buffer) {
  if (!list.valid(index)) return LB_ERR;
  auto* out = reinterpret_cast<char*>(buffer);
  if (!owner.has_strings) {
    const ULONG_PTR data = list.at(index).data;
    if (out) std::memcpy(out, &data, sizeof(data));
    return sizeof(data);
  }
  const std::string& text = list.at(index).text;
  if (out) {
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
  }
  return static_cast<LRESULT>(text.size());
}

LRESULT GetListTextLength(const ItemList& list, const ListOwner& owner, int index) {
  if (!list.valid(index)) return LB_ERR;
  if (!owner.has_strings) return sizeof(ULONG_PTR);
  return static_cast<LRESULT>(list.at(index).text.size());
}

}  // namespace qvp::ui
