// The dialog and menu template readers on a block holding the input.
//
// Properties: every text and creation-data area a reader hands out lies inside
// the block, texts end in their NUL; a block read, described again and built
// anew reads the same; a menu block loads into a menu with its top items.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "qvplatform.h"
#include "qvplatform/dlgtemplate.h"

namespace {

const uint8_t* g_begin = nullptr;
const uint8_t* g_end = nullptr;

void CheckInside(std::string_view text) {
  if (text.empty()) return;
  const auto* p = reinterpret_cast<const uint8_t*>(text.data());
  FUZZ_CHECK(p >= g_begin && p + text.size() < g_end && p[text.size()] == 0);
}

void CheckRef(const qvp::TemplateRef& ref) {
  if (ref.kind == qvp::RefKind::kText) CheckInside(ref.text);
}

qvp::NameOrId Describe(const qvp::TemplateRef& ref) {
  switch (ref.kind) {
    case qvp::RefKind::kOrdinal: return qvp::NameOrId::Id(ref.ordinal);
    case qvp::RefKind::kText: return qvp::NameOrId::Text(std::string(ref.text));
    default: return qvp::NameOrId::None();
  }
}

bool SameRef(const qvp::TemplateRef& a, const qvp::TemplateRef& b) {
  return a.kind == b.kind && a.ordinal == b.ordinal && a.text == b.text;
}

bool SameHeader(const qvp::DialogHeaderView& a, const qvp::DialogHeaderView& b) {
  return a.style == b.style && a.exstyle == b.exstyle && a.x == b.x && a.y == b.y && a.cx == b.cx && a.cy == b.cy &&
         SameRef(a.menu, b.menu) && SameRef(a.window_class, b.window_class) && SameRef(a.caption, b.caption) &&
         SameRef(a.font_face, b.font_face) && a.control_count == b.control_count &&
         (a.font_face.kind == qvp::RefKind::kNone ||
          (a.font_point_size == b.font_point_size && a.font_weight == b.font_weight && a.font_italic == b.font_italic));
}

bool SameControl(const qvp::DialogControlView& a, const qvp::DialogControlView& b) {
  return a.style == b.style && a.exstyle == b.exstyle && a.x == b.x && a.y == b.y && a.cx == b.cx && a.cy == b.cy &&
         a.id == b.id && SameRef(a.window_class, b.window_class) && SameRef(a.text, b.text) &&
         a.data_size == b.data_size && (a.data_size == 0 || std::memcmp(a.data, b.data, a.data_size) == 0);
}

void CheckDialog(const uint8_t* data, size_t size) {
  qvp::DialogTemplateReader reader;
  if (!reader.Open(data, size)) return;
  FUZZ_CHECK(reader.size() <= size);
  const qvp::DialogHeaderView& h = reader.header();
  CheckRef(h.menu);
  CheckRef(h.window_class);
  CheckRef(h.caption);
  CheckRef(h.font_face);
  qvp::DialogDesc desc;
  desc.style = h.style;
  desc.exstyle = h.exstyle;
  desc.x = h.x;
  desc.y = h.y;
  desc.cx = h.cx;
  desc.cy = h.cy;
  desc.menu = Describe(h.menu);
  desc.window_class = Describe(h.window_class);
  desc.caption = Describe(h.caption);
  desc.font_face = Describe(h.font_face);
  desc.font_point_size = h.font_point_size;
  desc.font_weight = h.font_weight;
  desc.font_italic = h.font_italic;
  for (size_t i = 0; i < reader.control_count(); ++i) {
    const qvp::DialogControlView c = reader.control(i);
    CheckRef(c.window_class);
    CheckRef(c.text);
    if (c.data_size > 0) FUZZ_CHECK(c.data >= g_begin && c.data + c.data_size <= g_end);
    qvp::ControlDesc d;
    d.style = c.style;
    d.exstyle = c.exstyle;
    d.x = c.x;
    d.y = c.y;
    d.cx = c.cx;
    d.cy = c.cy;
    d.id = c.id;
    d.window_class = Describe(c.window_class);
    d.text = Describe(c.text);
    d.data.assign(c.data, c.data + c.data_size);
    desc.controls.push_back(std::move(d));
  }
  std::vector<uint8_t> built;
  std::string error;
  FUZZ_CHECK(qvp::BuildDialogTemplate(desc, &built, &error));
  qvp::DialogTemplateReader again;
  FUZZ_CHECK(again.Open(built.data(), built.size()));
  FUZZ_CHECK(SameHeader(h, again.header()));
  for (size_t i = 0; i < reader.control_count(); ++i) FUZZ_CHECK(SameControl(reader.control(i), again.control(i)));
}

// The items of [first, first + count) with their sub-trees, depth first. False
// past `depth_left` levels (the writer describes trees by recursion).
bool DescribeItems(const qvp::MenuTemplateReader& r, size_t first, size_t count, int depth_left,
                   std::vector<qvp::MenuItemDesc>* out) {
  if (depth_left == 0) return false;
  for (size_t i = first; i < first + count; ++i) {
    const qvp::MenuItemView v = r.item(i);
    CheckInside(v.text);
    qvp::MenuItemDesc d;
    d.flags = v.flags;
    d.id = v.id;
    d.text = std::string(v.text);
    d.popup = (v.flags & qvp::kMenuPopup) != 0;
    if (d.popup) {
      if (v.child_count > 0) FUZZ_CHECK(v.first_child > i && v.first_child + size_t{v.child_count} <= r.item_count());
      if (!DescribeItems(r, v.first_child, v.child_count, depth_left - 1, &d.children)) return false;
    }
    out->push_back(std::move(d));
  }
  return true;
}

bool SameItems(const std::vector<qvp::MenuItemDesc>& a, const std::vector<qvp::MenuItemDesc>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    // A pop-up's id is its sub-menu and a separator has neither id nor text,
    // whatever the block says.
    const bool separator = (a[i].flags & qvp::kMenuSeparator) != 0;
    if (a[i].flags != b[i].flags || (!a[i].popup && !separator && a[i].id != b[i].id) ||
        (!separator && a[i].text != b[i].text) || a[i].popup != b[i].popup ||
        !SameItems(a[i].children, b[i].children)) {
      return false;
    }
  }
  return true;
}

void CheckMenu(const uint8_t* data, size_t size) {
  qvp::MenuTemplateReader reader;
  if (!reader.Open(data, size)) return;
  FUZZ_CHECK(reader.size() <= size && reader.top_count() <= reader.item_count());
  std::vector<qvp::MenuItemDesc> top;
  if (DescribeItems(reader, 0, reader.top_count(), 64, &top)) {
    std::vector<uint8_t> built;
    std::string error;
    FUZZ_CHECK(qvp::BuildMenuTemplate(top, &built, &error));
    qvp::MenuTemplateReader again;
    FUZZ_CHECK(again.Open(built.data(), built.size()));
    const uint8_t* begin = g_begin;
    g_begin = built.data();  // the texts of `again` lie in `built`
    g_end = built.data() + built.size();
    std::vector<qvp::MenuItemDesc> top_again;
    FUZZ_CHECK(DescribeItems(again, 0, again.top_count(), 64, &top_again));
    FUZZ_CHECK(SameItems(top, top_again));
    g_begin = begin;
    g_end = data + size;
  }
  // The window system's loader takes what the reader takes, however deep.
  HMENU menu = LoadMenuIndirectA(data);
  FUZZ_CHECK(menu != nullptr);
  FUZZ_CHECK(GetMenuItemCount(menu) == static_cast<int>(reader.top_count()));
  FUZZ_CHECK(DestroyMenu(menu));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact copy, so that a read one byte past the block is caught.
  std::vector<uint8_t> block(data, data + size);
  g_begin = block.data();
  g_end = block.data() + block.size();
  CheckDialog(block.data(), block.size());
  CheckMenu(block.data(), block.size());
  return 0;
}
