// The layer's flat dialog and menu template formats.
//
// A template is one contiguous block of bytes with no pointers inside: every
// text and every creation-data area is found by its byte offset from the start
// of the block. A block can therefore be copied whole (memcpy, a heap copy of a
// resource) and the copy reads exactly like the original.
//
// All numbers are little-endian. Texts are stored NUL-terminated, with their
// length (without the NUL) beside the offset, in the layer's ANSI bytes.
//
// Dialog block:
//   DialogBlockHeader   at offset 0
//   DialogBlockControl  control_count records of control_size bytes each, at controls_offset
//   texts and creation data, anywhere after the fixed parts, referenced by offset
//
// Menu block:
//   MenuBlockHeader     at offset 0
//   MenuBlockItem       item_count records of item_size bytes, at items_offset
//   texts
// The top-level items are items [0, top_count). A pop-up item's children are
// the child_count items starting at first_child, which always lies after the
// pop-up itself, so every walk of the tree ends.
//
// Readers validate a whole block before handing anything out: a truncated or
// hostile block is refused and never read past its end. Writers build blocks
// from plain descriptions; the resource compiler and code that assembles
// templates in memory both use them.
//
// This header depends on the C++ standard library only, so that build tools can
// use it without the rest of the layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvp {

inline constexpr uint32_t kDialogTemplateMagic = 0x54445651u;  // "QVDT"
inline constexpr uint32_t kMenuTemplateMagic = 0x544D5651u;    // "QVMT"
inline constexpr uint16_t kTemplateVersion = 1;
// No template is larger; a header claiming more is refused.
inline constexpr uint32_t kMaxTemplateSize = 16u << 20;

// What a name-or-number field of a template holds.
enum class RefKind : uint16_t {
  kNone = 0,     // absent
  kOrdinal = 1,  // a number (resource id, standard class code, atom)
  kText = 2,     // a NUL-terminated text inside the block
};

// ---- Raw layout -------------------------------------------------------------
// Readers never cast the block to these structs (a block need not be aligned);
// they copy each record out with memcpy.

struct BlockRef {
  uint16_t kind;      // RefKind
  uint16_t reserved;  // 0
  uint32_t value;     // the number (kOrdinal) or the text's offset (kText)
  uint32_t length;    // the text's length in bytes without its NUL (kText)
};
static_assert(sizeof(BlockRef) == 12);

struct DialogBlockHeader {
  uint32_t magic;          // kDialogTemplateMagic
  uint16_t version;        // kTemplateVersion
  uint16_t header_size;    // sizeof(DialogBlockHeader) or more
  uint32_t total_size;     // bytes of the whole block
  uint32_t style;
  uint32_t exstyle;
  uint16_t control_count;
  uint16_t control_size;   // sizeof(DialogBlockControl) or more
  uint32_t controls_offset;
  int16_t x, y, cx, cy;    // dialog units
  BlockRef menu;           // none, menu resource id or name
  BlockRef window_class;   // none (the dialog class), atom or class name
  BlockRef caption;        // text (possibly empty) or none
  BlockRef font_face;      // none when the dialog has no font of its own
  uint16_t font_point_size;
  uint16_t font_weight;
  uint8_t font_italic;
  uint8_t reserved0;
  uint16_t reserved1;
};
static_assert(sizeof(DialogBlockHeader) == 92);

struct DialogBlockControl {
  uint32_t style;
  uint32_t exstyle;
  int16_t x, y, cx, cy;    // dialog units
  uint32_t id;             // full 32 bits
  BlockRef window_class;   // kOrdinal: a StandardClass code; kText: a class name
  BlockRef text;           // kText: window text; kOrdinal: resource id (icons, bitmaps); or none
  uint32_t data_offset;    // creation data passed to WM_CREATE, 0 when data_size is 0
  uint32_t data_size;
};
static_assert(sizeof(DialogBlockControl) == 52);

struct MenuBlockHeader {
  uint32_t magic;          // kMenuTemplateMagic
  uint16_t version;        // kTemplateVersion
  uint16_t header_size;    // sizeof(MenuBlockHeader) or more
  uint32_t total_size;
  uint16_t item_count;
  uint16_t item_size;      // sizeof(MenuBlockItem) or more
  uint32_t items_offset;
  uint16_t top_count;      // items [0, top_count) form the menu bar / top level
  uint16_t reserved;
};
static_assert(sizeof(MenuBlockHeader) == 24);

struct MenuBlockItem {
  uint32_t flags;          // kMenu* flags (the documented MF_ values)
  uint32_t id;             // command id; 0 for pop-ups and separators
  BlockRef text;           // kText, or none for separators
  uint16_t first_child;    // pop-ups: index of the first child (after this item)
  uint16_t child_count;    // pop-ups: number of children
  uint32_t reserved;
};
static_assert(sizeof(MenuBlockItem) == 28);

// Menu item flags, with the documented MF_ values.
inline constexpr uint32_t kMenuGrayed = 0x0001;
inline constexpr uint32_t kMenuDisabled = 0x0002;
inline constexpr uint32_t kMenuChecked = 0x0008;
inline constexpr uint32_t kMenuPopup = 0x0010;
inline constexpr uint32_t kMenuSeparator = 0x0800;
inline constexpr uint32_t kMenuKnownFlags = kMenuGrayed | kMenuDisabled | kMenuChecked | kMenuPopup | kMenuSeparator;

// The standard control classes, stored as small codes instead of names. The
// first six are the classic system class atoms.
enum class StandardClass : uint16_t {
  kButton = 0x0080,
  kEdit = 0x0081,
  kStatic = 0x0082,
  kListBox = 0x0083,
  kScrollBar = 0x0084,
  kComboBox = 0x0085,
  kListView = 0x0100,
  kTabControl = 0x0101,
  kTreeView = 0x0102,
  kUpDown = 0x0103,
  kProgress = 0x0104,
  kToolbar = 0x0105,
};

// "BUTTON", "SysListView32", ... for a standard class code; nullptr for any other number.
const char* StandardClassName(uint16_t code);
// The code of a standard class name (compared without regard to case); 0 when the name is no standard class.
uint16_t StandardClassCode(std::string_view name);

// ---- Reading ------------------------------------------------------------------

// A name-or-number field as read from a block. For kText, text.data() is
// NUL-terminated inside the block.
struct TemplateRef {
  RefKind kind = RefKind::kNone;
  uint32_t ordinal = 0;
  std::string_view text;
};

struct DialogHeaderView {
  uint32_t style = 0;
  uint32_t exstyle = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  TemplateRef menu;
  TemplateRef window_class;
  TemplateRef caption;
  TemplateRef font_face;
  uint16_t font_point_size = 0;
  uint16_t font_weight = 0;
  bool font_italic = false;
  uint16_t control_count = 0;
};

struct DialogControlView {
  uint32_t style = 0;
  uint32_t exstyle = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  uint32_t id = 0;
  TemplateRef window_class;  // kOrdinal: a StandardClass code (validated)
  TemplateRef text;
  const uint8_t* data = nullptr;
  uint32_t data_size = 0;
};

class DialogTemplateReader {
 public:
  // Validates the block of `size` readable bytes. False when it is malformed;
  // the reader then hands out nothing.
  bool Open(const void* block, size_t size);
  // For callers that hold only the template's address (DialogBoxIndirectParam):
  // trusts the fixed header to be readable and the block to be as long as the
  // header says (up to kMaxTemplateSize), then validates as Open does.
  bool OpenUnsized(const void* block);

  bool ok() const { return block_ != nullptr; }
  size_t size() const { return size_; }  // the block's own total size
  const DialogHeaderView& header() const { return header_; }
  size_t control_count() const { return header_.control_count; }
  // The i-th control, i < control_count(), of a reader that is ok().
  DialogControlView control(size_t i) const;

 private:
  const uint8_t* block_ = nullptr;
  size_t size_ = 0;
  uint32_t controls_offset_ = 0;
  uint16_t control_size_ = 0;
  DialogHeaderView header_;
};

struct MenuItemView {
  uint32_t flags = 0;
  uint32_t id = 0;
  std::string_view text;  // NUL-terminated inside the block; empty for separators
  uint16_t first_child = 0;
  uint16_t child_count = 0;
};

class MenuTemplateReader {
 public:
  bool Open(const void* block, size_t size);
  bool OpenUnsized(const void* block);  // as DialogTemplateReader::OpenUnsized

  bool ok() const { return block_ != nullptr; }
  size_t size() const { return size_; }
  size_t item_count() const { return item_count_; }
  size_t top_count() const { return top_count_; }
  MenuItemView item(size_t i) const;

 private:
  const uint8_t* block_ = nullptr;
  size_t size_ = 0;
  uint32_t items_offset_ = 0;
  uint16_t item_size_ = 0;
  uint16_t item_count_ = 0;
  uint16_t top_count_ = 0;
};

// ---- Writing ------------------------------------------------------------------

// A name-or-number field to write.
struct NameOrId {
  RefKind kind = RefKind::kNone;
  uint32_t ordinal = 0;
  std::string text;

  static NameOrId None() { return {}; }
  static NameOrId Id(uint32_t value) { return {RefKind::kOrdinal, value, {}}; }
  static NameOrId Text(std::string value) { return {RefKind::kText, 0, std::move(value)}; }
};

struct ControlDesc {
  uint32_t style = 0;
  uint32_t exstyle = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  uint32_t id = 0;
  NameOrId window_class;  // kOrdinal: a StandardClass code; kText: a class name
  NameOrId text;
  std::vector<uint8_t> data;  // creation data
};

struct DialogDesc {
  uint32_t style = 0;
  uint32_t exstyle = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  NameOrId menu;
  NameOrId window_class;
  NameOrId caption;
  NameOrId font_face;  // kText for a dialog with its own font
  uint16_t font_point_size = 0;
  uint16_t font_weight = 400;
  bool font_italic = false;
  std::vector<ControlDesc> controls;
};

struct MenuItemDesc {
  uint32_t flags = 0;  // kMenuPopup is set by the writer for items with children
  uint32_t id = 0;
  std::string text;
  std::vector<MenuItemDesc> children;
  bool popup = false;  // a pop-up (possibly empty); items with children are pop-ups anyway
};

// Build a block. False, with a reason in *error, when the description cannot
// be stored: a text holding a NUL, an unknown standard class code, more than
// 65535 controls or items, a block past kMaxTemplateSize.
bool BuildDialogTemplate(const DialogDesc& desc, std::vector<uint8_t>* out, std::string* error);
bool BuildMenuTemplate(const std::vector<MenuItemDesc>& top, std::vector<uint8_t>* out, std::string* error);

}  // namespace qvp
