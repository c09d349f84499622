// Reading and writing the flat dialog and menu templates (see qvplatform/dlgtemplate.h).
// Used by the layer and, compiled on its own, by the resource compiler.
#include "qvplatform/dlgtemplate.h"

#include <bit>
#include <cstring>

#include "qvplatform/nocase.h"

namespace qvp {
namespace {

static_assert(std::endian::native == std::endian::little, "templates are stored little-endian");

struct ClassEntry {
  StandardClass code;
  const char* name;
};

constexpr ClassEntry kClasses[] = {
    {StandardClass::kButton, "BUTTON"},
    {StandardClass::kEdit, "EDIT"},
    {StandardClass::kStatic, "STATIC"},
    {StandardClass::kListBox, "LISTBOX"},
    {StandardClass::kScrollBar, "SCROLLBAR"},
    {StandardClass::kComboBox, "COMBOBOX"},
    {StandardClass::kListView, "SysListView32"},
    {StandardClass::kTabControl, "SysTabControl32"},
    {StandardClass::kTreeView, "SysTreeView32"},
    {StandardClass::kUpDown, "msctls_updown32"},
    {StandardClass::kProgress, "msctls_progress32"},
    {StandardClass::kToolbar, "ToolbarWindow32"},
};

template <class T>
T ReadAt(const uint8_t* block, size_t offset) {
  T value;
  std::memcpy(&value, block + offset, sizeof(T));
  return value;
}

// True when [offset, offset + length) lies inside a block of `size` bytes.
bool InBounds(uint64_t offset, uint64_t length, uint64_t size) { return offset <= size && length <= size - offset; }

// Decodes and checks one name-or-number field of a block of `size` bytes.
bool DecodeRef(const uint8_t* block, size_t size, const BlockRef& raw, TemplateRef* out) {
  *out = TemplateRef{};
  switch (static_cast<RefKind>(raw.kind)) {
    case RefKind::kNone:
      return true;
    case RefKind::kOrdinal:
      out->kind = RefKind::kOrdinal;
      out->ordinal = raw.value;
      return true;
    case RefKind::kText: {
      // The text and its NUL must lie inside the block, with no NUL before the end.
      if (!InBounds(raw.value, uint64_t{raw.length} + 1, size)) return false;
      const char* text = reinterpret_cast<const char*>(block + raw.value);
      if (text[raw.length] != '\0') return false;
      if (std::memchr(text, '\0', raw.length) != nullptr) return false;
      out->kind = RefKind::kText;
      out->text = std::string_view(text, raw.length);
      return true;
    }
  }
  return false;
}

// Reads the size a block claims, trusting `prefix` readable bytes at its start.
bool ClaimedSize(const void* block, uint32_t magic, size_t* size) {
  if (block == nullptr) return false;
  const auto* bytes = static_cast<const uint8_t*>(block);
  if (ReadAt<uint32_t>(bytes, 0) != magic) return false;
  uint32_t total = ReadAt<uint32_t>(bytes, 8);  // total_size sits at offset 8 in both headers
  if (total > kMaxTemplateSize) return false;
  *size = total;
  return true;
}
static_assert(offsetof(DialogBlockHeader, total_size) == 8 && offsetof(MenuBlockHeader, total_size) == 8);

// Grows a block while keeping the offsets of texts it hands out.
class BlockBuilder {
 public:
  explicit BlockBuilder(size_t fixed_size) : bytes_(fixed_size, 0) {}

  bool AddText(const std::string& text, BlockRef* ref, std::string* error) {
    if (text.find('\0') != std::string::npos) {
      *error = "a text holds a NUL character";
      return false;
    }
    if (!Fits(text.size() + 1, error)) return false;
    ref->kind = static_cast<uint16_t>(RefKind::kText);
    ref->value = static_cast<uint32_t>(bytes_.size());
    ref->length = static_cast<uint32_t>(text.size());
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    bytes_.push_back(0);
    return true;
  }

  bool AddRef(const NameOrId& name, BlockRef* ref, std::string* error) {
    *ref = BlockRef{};
    switch (name.kind) {
      case RefKind::kNone:
        return true;
      case RefKind::kOrdinal:
        ref->kind = static_cast<uint16_t>(RefKind::kOrdinal);
        ref->value = name.ordinal;
        return true;
      case RefKind::kText:
        return AddText(name.text, ref, error);
    }
    *error = "unknown field kind";
    return false;
  }

  bool AddData(const std::vector<uint8_t>& data, uint32_t* offset, std::string* error) {
    *offset = 0;
    if (data.empty()) return true;
    if (!Fits(data.size(), error)) return false;
    *offset = static_cast<uint32_t>(bytes_.size());
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return true;
  }

  template <class T>
  void Put(size_t offset, const T& value) {
    std::memcpy(bytes_.data() + offset, &value, sizeof(T));
  }

  size_t size() const { return bytes_.size(); }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  bool Fits(size_t more, std::string* error) const {
    if (more > kMaxTemplateSize || bytes_.size() > kMaxTemplateSize - more) {
      *error = "the template grows past its size limit";
      return false;
    }
    return true;
  }

  std::vector<uint8_t> bytes_;
};

}  // namespace

const char* StandardClassName(uint16_t code) {
  for (const ClassEntry& c : kClasses) {
    if (static_cast<uint16_t>(c.code) == code) return c.name;
  }
  return nullptr;
}

uint16_t StandardClassCode(std::string_view name) {
  for (const ClassEntry& c : kClasses) {
    if (EqualNoCase(name, c.name)) return static_cast<uint16_t>(c.code);
  }
  return 0;
}

// ---- Dialog reader ------------------------------------------------------------

bool DialogTemplateReader::Open(const void* block, size_t size) {
  *this = DialogTemplateReader{};
  if (block == nullptr || size < sizeof(DialogBlockHeader)) return false;
  const auto* bytes = static_cast<const uint8_t*>(block);
  const auto h = ReadAt<DialogBlockHeader>(bytes, 0);
  if (h.magic != kDialogTemplateMagic || h.version != kTemplateVersion) return false;
  if (h.total_size > size || h.total_size > kMaxTemplateSize) return false;
  const size_t total = h.total_size;
  if (h.header_size < sizeof(DialogBlockHeader) || h.header_size > total) return false;
  if (h.control_size < sizeof(DialogBlockControl)) return false;
  if (h.control_count > 0) {
    if (h.controls_offset < h.header_size) return false;
    if (!InBounds(h.controls_offset, uint64_t{h.control_count} * h.control_size, total)) return false;
  }

  DialogHeaderView view;
  if (!DecodeRef(bytes, total, h.menu, &view.menu) || !DecodeRef(bytes, total, h.window_class, &view.window_class) ||
      !DecodeRef(bytes, total, h.caption, &view.caption) || !DecodeRef(bytes, total, h.font_face, &view.font_face)) {
    return false;
  }
  if (view.font_face.kind == RefKind::kOrdinal) return false;
  view.style = h.style;
  view.exstyle = h.exstyle;
  view.x = h.x;
  view.y = h.y;
  view.cx = h.cx;
  view.cy = h.cy;
  view.font_point_size = h.font_point_size;
  view.font_weight = h.font_weight;
  view.font_italic = h.font_italic != 0;
  view.control_count = h.control_count;

  // Every control is checked now, so that control(i) needs no checks later.
  for (size_t i = 0; i < h.control_count; ++i) {
    const auto c = ReadAt<DialogBlockControl>(bytes, h.controls_offset + i * size_t{h.control_size});
    TemplateRef cls, text;
    if (!DecodeRef(bytes, total, c.window_class, &cls) || !DecodeRef(bytes, total, c.text, &text)) return false;
    if (cls.kind == RefKind::kNone) return false;
    if (cls.kind == RefKind::kOrdinal && (cls.ordinal > 0xFFFF || StandardClassName(static_cast<uint16_t>(cls.ordinal)) == nullptr)) {
      return false;
    }
    if (cls.kind == RefKind::kText && cls.text.empty()) return false;
    if (c.data_size > 0 && !InBounds(c.data_offset, c.data_size, total)) return false;
  }

  block_ = bytes;
  size_ = total;
  controls_offset_ = h.controls_offset;
  control_size_ = h.control_size;
  header_ = view;
  return true;
}

bool DialogTemplateReader::OpenUnsized(const void* block) {
  size_t size = 0;
  if (!ClaimedSize(block, kDialogTemplateMagic, &size)) {
    *this = DialogTemplateReader{};
    return false;
  }
  return Open(block, size);
}

DialogControlView DialogTemplateReader::control(size_t i) const {
  DialogControlView view;
  if (block_ == nullptr || i >= header_.control_count) return view;
  const auto c = ReadAt<DialogBlockControl>(block_, controls_offset_ + i * size_t{control_size_});
  view.style = c.style;
  view.exstyle = c.exstyle;
  view.x = c.x;
  view.y = c.y;
  view.cx = c.cx;
  view.cy = c.cy;
  view.id = c.id;
  DecodeRef(block_, size_, c.window_class, &view.window_class);
  DecodeRef(block_, size_, c.text, &view.text);
  if (c.data_size > 0) {
    view.data = block_ + c.data_offset;
    view.data_size = c.data_size;
  }
  return view;
}

// ---- Menu reader --------------------------------------------------------------

bool MenuTemplateReader::Open(const void* block, size_t size) {
  *this = MenuTemplateReader{};
  if (block == nullptr || size < sizeof(MenuBlockHeader)) return false;
  const auto* bytes = static_cast<const uint8_t*>(block);
  const auto h = ReadAt<MenuBlockHeader>(bytes, 0);
  if (h.magic != kMenuTemplateMagic || h.version != kTemplateVersion) return false;
  if (h.total_size > size || h.total_size > kMaxTemplateSize) return false;
  const size_t total = h.total_size;
  if (h.header_size < sizeof(MenuBlockHeader) || h.header_size > total) return false;
  if (h.item_size < sizeof(MenuBlockItem) || h.top_count > h.item_count) return false;
  if (h.item_count > 0) {
    if (h.items_offset < h.header_size) return false;
    if (!InBounds(h.items_offset, uint64_t{h.item_count} * h.item_size, total)) return false;
  }

  // The items must form a tree: each item below the top level belongs to exactly
  // one pop-up, and children come after their pop-up. A block whose pop-ups
  // share children could otherwise make a walk of the menu take forever.
  std::vector<uint8_t> owned(h.item_count, 0);
  for (size_t i = 0; i < h.item_count; ++i) {
    const auto item = ReadAt<MenuBlockItem>(bytes, h.items_offset + i * size_t{h.item_size});
    if ((item.flags & ~kMenuKnownFlags) != 0) return false;
    TemplateRef text;
    if (!DecodeRef(bytes, total, item.text, &text) || text.kind == RefKind::kOrdinal) return false;
    const bool separator = (item.flags & kMenuSeparator) != 0;
    const bool popup = (item.flags & kMenuPopup) != 0;
    if (separator && popup) return false;
    if (!separator && text.kind != RefKind::kText) return false;
    if (!popup) {
      if (item.child_count != 0) return false;
      continue;
    }
    if (item.child_count == 0) continue;
    if (item.first_child <= i || uint32_t{item.first_child} + item.child_count > h.item_count) return false;
    for (size_t c = item.first_child; c < size_t{item.first_child} + item.child_count; ++c) {
      if (c < h.top_count || owned[c] != 0) return false;
      owned[c] = 1;
    }
  }
  for (size_t i = h.top_count; i < h.item_count; ++i) {
    if (owned[i] == 0) return false;  // an item nothing reaches
  }

  block_ = bytes;
  size_ = total;
  items_offset_ = h.items_offset;
  item_size_ = h.item_size;
  item_count_ = h.item_count;
  top_count_ = h.top_count;
  return true;
}

bool MenuTemplateReader::OpenUnsized(const void* block) {
  size_t size = 0;
  if (!ClaimedSize(block, kMenuTemplateMagic, &size)) {
    *this = MenuTemplateReader{};
    return false;
  }
  return Open(block, size);
}

MenuItemView MenuTemplateReader::item(size_t i) const {
  MenuItemView view;
  if (block_ == nullptr || i >= item_count_) return view;
  const auto raw = ReadAt<MenuBlockItem>(block_, items_offset_ + i * size_t{item_size_});
  view.flags = raw.flags;
  view.id = raw.id;
  TemplateRef text;
  DecodeRef(block_, size_, raw.text, &text);
  view.text = text.text;
  if ((raw.flags & kMenuPopup) != 0) {
    view.first_child = raw.first_child;
    view.child_count = raw.child_count;
  }
  return view;
}

// ---- Writers ------------------------------------------------------------------

bool BuildDialogTemplate(const DialogDesc& desc, std::vector<uint8_t>* out, std::string* error) {
  std::string scratch;
  if (error == nullptr) error = &scratch;
  if (desc.controls.size() > 0xFFFF) {
    *error = "a dialog holds more than 65535 controls";
    return false;
  }
  if (desc.font_face.kind == RefKind::kOrdinal) {
    *error = "a font face must be a name";
    return false;
  }
  const size_t controls_offset = sizeof(DialogBlockHeader);
  BlockBuilder b(controls_offset + desc.controls.size() * sizeof(DialogBlockControl));

  DialogBlockHeader h{};
  h.magic = kDialogTemplateMagic;
  h.version = kTemplateVersion;
  h.header_size = sizeof(DialogBlockHeader);
  h.style = desc.style;
  h.exstyle = desc.exstyle;
  h.control_count = static_cast<uint16_t>(desc.controls.size());
  h.control_size = sizeof(DialogBlockControl);
  h.controls_offset = static_cast<uint32_t>(controls_offset);
  h.x = desc.x;
  h.y = desc.y;
  h.cx = desc.cx;
  h.cy = desc.cy;
  h.font_point_size = desc.font_point_size;
  h.font_weight = desc.font_weight;
  h.font_italic = desc.font_italic ? 1 : 0;
  if (!b.AddRef(desc.menu, &h.menu, error) || !b.AddRef(desc.window_class, &h.window_class, error) ||
      !b.AddRef(desc.caption, &h.caption, error) || !b.AddRef(desc.font_face, &h.font_face, error)) {
    return false;
  }

  for (size_t i = 0; i < desc.controls.size(); ++i) {
    const ControlDesc& cd = desc.controls[i];
    DialogBlockControl c{};
    c.style = cd.style;
    c.exstyle = cd.exstyle;
    c.x = cd.x;
    c.y = cd.y;
    c.cx = cd.cx;
    c.cy = cd.cy;
    c.id = cd.id;
    if (cd.window_class.kind == RefKind::kNone ||
        (cd.window_class.kind == RefKind::kText && cd.window_class.text.empty())) {
      *error = "a control has no class";
      return false;
    }
    if (cd.window_class.kind == RefKind::kOrdinal &&
        (cd.window_class.ordinal > 0xFFFF || StandardClassName(static_cast<uint16_t>(cd.window_class.ordinal)) == nullptr)) {
      *error = "a control's class code is no standard class";
      return false;
    }
    if (cd.data.size() > 0xFFFFFFFFu) {
      *error = "a control's creation data is too large";
      return false;
    }
    if (!b.AddRef(cd.window_class, &c.window_class, error) || !b.AddRef(cd.text, &c.text, error) ||
        !b.AddData(cd.data, &c.data_offset, error)) {
      return false;
    }
    c.data_size = static_cast<uint32_t>(cd.data.size());
    b.Put(controls_offset + i * sizeof(DialogBlockControl), c);
  }
  h.total_size = static_cast<uint32_t>(b.size());
  b.Put(0, h);
  *out = b.Take();
  return true;
}

bool BuildMenuTemplate(const std::vector<MenuItemDesc>& top, std::vector<uint8_t>* out, std::string* error) {
  std::string scratch;
  if (error == nullptr) error = &scratch;
  // Breadth-first order keeps each pop-up's children together and after it.
  std::vector<const MenuItemDesc*> order;
  for (const MenuItemDesc& item : top) order.push_back(&item);
  std::vector<size_t> first_child;
  for (size_t i = 0; i < order.size(); ++i) {
    if (order.size() > 0xFFFF) break;
    first_child.push_back(order.size());
    for (const MenuItemDesc& child : order[i]->children) order.push_back(&child);
  }
  if (order.size() > 0xFFFF) {
    *error = "a menu holds more than 65535 items";
    return false;
  }

  const size_t items_offset = sizeof(MenuBlockHeader);
  BlockBuilder b(items_offset + order.size() * sizeof(MenuBlockItem));
  for (size_t i = 0; i < order.size(); ++i) {
    const MenuItemDesc& d = *order[i];
    if ((d.flags & ~kMenuKnownFlags) != 0) {
      *error = "a menu item has unknown flags";
      return false;
    }
    const bool popup = d.popup || (d.flags & kMenuPopup) != 0 || !d.children.empty();
    const bool separator = (d.flags & kMenuSeparator) != 0;
    if (popup && separator) {
      *error = "a separator cannot be a pop-up";
      return false;
    }
    MenuBlockItem item{};
    item.flags = d.flags | (popup ? kMenuPopup : 0);
    item.id = popup || separator ? 0 : d.id;
    if (!separator && !b.AddText(d.text, &item.text, error)) return false;
    if (popup && !d.children.empty()) {
      item.first_child = static_cast<uint16_t>(first_child[i]);
      item.child_count = static_cast<uint16_t>(d.children.size());
    }
    b.Put(items_offset + i * sizeof(MenuBlockItem), item);
  }

  MenuBlockHeader h{};
  h.magic = kMenuTemplateMagic;
  h.version = kTemplateVersion;
  h.header_size = sizeof(MenuBlockHeader);
  h.item_count = static_cast<uint16_t>(order.size());
  h.item_size = sizeof(MenuBlockItem);
  h.items_offset = static_cast<uint32_t>(items_offset);
  h.top_count = static_cast<uint16_t>(top.size());
  h.total_size = static_cast<uint32_t>(b.size());
  b.Put(0, h);
  *out = b.Take();
  return true;
}

}  // namespace qvp
