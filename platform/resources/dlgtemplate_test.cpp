// The flat dialog and menu templates: writing, reading, copying, and refusing
// damaged blocks without reading past them (the asan preset proves the latter).
#include "qvplatform/dlgtemplate.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using qvp::RefKind;

qvp::DialogDesc SampleDialog() {
  qvp::DialogDesc d;
  d.style = 0x80C80040;
  d.exstyle = 0x00000100;
  d.x = -3;
  d.y = 4;
  d.cx = 300;
  d.cy = 200;
  d.menu = qvp::NameOrId::Text("MAINMENU");
  d.window_class = qvp::NameOrId::Id(0x8002);
  d.caption = qvp::NameOrId::Text("Caption \xE9");
  d.font_face = qvp::NameOrId::Text("Tahoma");
  d.font_point_size = 9;
  d.font_weight = 700;
  d.font_italic = true;
  qvp::ControlDesc edit;
  edit.style = 0x50810080;
  edit.id = 0x12345678;
  edit.x = 1;
  edit.y = 2;
  edit.cx = 3;
  edit.cy = 4;
  edit.window_class = qvp::NameOrId::Id(static_cast<uint32_t>(qvp::StandardClass::kEdit));
  edit.text = qvp::NameOrId::Text("typed");
  qvp::ControlDesc icon;
  icon.id = 0xFFFFFFFF;
  icon.window_class = qvp::NameOrId::Id(static_cast<uint32_t>(qvp::StandardClass::kStatic));
  icon.text = qvp::NameOrId::Id(301);
  qvp::ControlDesc custom;
  custom.id = 7;
  custom.window_class = qvp::NameOrId::Text("QvGraph");
  custom.data = {1, 2, 3, 4, 5};
  d.controls = {edit, icon, custom};
  return d;
}

std::vector<uint8_t> Build(const qvp::DialogDesc& d) {
  std::vector<uint8_t> block;
  std::string error;
  EXPECT_TRUE(qvp::BuildDialogTemplate(d, &block, &error)) << error;
  return block;
}

void ExpectSample(const qvp::DialogTemplateReader& r) {
  ASSERT_TRUE(r.ok());
  const qvp::DialogHeaderView& h = r.header();
  EXPECT_EQ(h.style, 0x80C80040u);
  EXPECT_EQ(h.exstyle, 0x100u);
  EXPECT_EQ(h.x, -3);
  EXPECT_EQ(h.y, 4);
  EXPECT_EQ(h.cx, 300);
  EXPECT_EQ(h.cy, 200);
  EXPECT_EQ(h.menu.kind, RefKind::kText);
  EXPECT_EQ(h.menu.text, "MAINMENU");
  EXPECT_EQ(h.window_class.kind, RefKind::kOrdinal);
  EXPECT_EQ(h.window_class.ordinal, 0x8002u);
  EXPECT_EQ(h.caption.text, "Caption \xE9");
  EXPECT_EQ(h.font_face.text, "Tahoma");
  EXPECT_EQ(h.font_point_size, 9);
  EXPECT_EQ(h.font_weight, 700);
  EXPECT_TRUE(h.font_italic);
  ASSERT_EQ(r.control_count(), 3u);
  const qvp::DialogControlView edit = r.control(0);
  EXPECT_EQ(edit.style, 0x50810080u);
  EXPECT_EQ(edit.id, 0x12345678u);
  EXPECT_EQ(edit.cy, 4);
  EXPECT_EQ(edit.window_class.ordinal, static_cast<uint32_t>(qvp::StandardClass::kEdit));
  EXPECT_EQ(edit.text.text, "typed");
  EXPECT_EQ(edit.text.text.data()[5], '\0');
  EXPECT_EQ(edit.data, nullptr);
  const qvp::DialogControlView icon = r.control(1);
  EXPECT_EQ(icon.text.kind, RefKind::kOrdinal);
  EXPECT_EQ(icon.text.ordinal, 301u);
  const qvp::DialogControlView custom = r.control(2);
  EXPECT_EQ(custom.window_class.text, "QvGraph");
  EXPECT_EQ(custom.text.kind, RefKind::kNone);
  ASSERT_EQ(custom.data_size, 5u);
  EXPECT_EQ(std::memcmp(custom.data, "\1\2\3\4\5", 5), 0);
}

// A heap block of exactly `size` bytes, so that any read past it is caught.
std::unique_ptr<uint8_t[]> ExactCopy(const std::vector<uint8_t>& bytes, size_t size) {
  std::unique_ptr<uint8_t[]> copy(new uint8_t[size == 0 ? 1 : size]);
  std::memcpy(copy.get(), bytes.data(), size);
  return copy;
}

void PatchTotalSize(uint8_t* block, uint32_t size) { std::memcpy(block + 8, &size, 4); }

// Touches every byte a reader hands out, inside the block or not.
size_t WalkDialog(const qvp::DialogTemplateReader& r) {
  size_t sum = 0;
  auto text = [&](const qvp::TemplateRef& ref) {
    if (ref.kind == RefKind::kText) sum += std::strlen(ref.text.data()) + ref.text.size();
  };
  text(r.header().menu);
  text(r.header().window_class);
  text(r.header().caption);
  text(r.header().font_face);
  for (size_t i = 0; i < r.control_count(); ++i) {
    const qvp::DialogControlView c = r.control(i);
    text(c.window_class);
    text(c.text);
    for (uint32_t k = 0; k < c.data_size; ++k) sum += c.data[k];
  }
  return sum;
}

size_t WalkMenu(const qvp::MenuTemplateReader& m, size_t index, int depth) {
  EXPECT_LT(depth, 70000) << "menu walk does not end";
  const qvp::MenuItemView item = m.item(index);
  size_t visited = 1 + std::strlen(item.text.data() == nullptr ? "" : item.text.data());
  for (size_t c = 0; c < item.child_count; ++c) visited += WalkMenu(m, item.first_child + c, depth + 1);
  return visited;
}

TEST(DialogTemplate, ReadsBackWhatWasWritten) {
  const std::vector<uint8_t> block = Build(SampleDialog());
  qvp::DialogTemplateReader r;
  ASSERT_TRUE(r.Open(block.data(), block.size()));
  EXPECT_EQ(r.size(), block.size());
  ExpectSample(r);
}

TEST(DialogTemplate, AWholeCopyReadsLikeTheOriginal) {
  auto original = std::make_unique<std::vector<uint8_t>>(Build(SampleDialog()));
  // Copied to an odd address, with the original gone.
  std::vector<uint8_t> storage(original->size() + 1);
  std::memcpy(storage.data() + 1, original->data(), original->size());
  const size_t size = original->size();
  original.reset();
  qvp::DialogTemplateReader r;
  ASSERT_TRUE(r.Open(storage.data() + 1, size));
  ExpectSample(r);
  qvp::DialogTemplateReader unsized;
  ASSERT_TRUE(unsized.OpenUnsized(storage.data() + 1));
  ExpectSample(unsized);
}

TEST(DialogTemplate, EveryTruncationIsRefused) {
  const std::vector<uint8_t> block = Build(SampleDialog());
  for (size_t len = 0; len < block.size(); ++len) {
    auto copy = ExactCopy(block, len);
    qvp::DialogTemplateReader r;
    EXPECT_FALSE(r.Open(copy.get(), len)) << len;
    EXPECT_FALSE(r.ok());
    // Even when the block's own size is made to agree with the cut.
    if (len >= 12) {
      PatchTotalSize(copy.get(), static_cast<uint32_t>(len));
      EXPECT_FALSE(r.Open(copy.get(), len)) << len;
      if (len >= sizeof(qvp::DialogBlockHeader)) {
        EXPECT_FALSE(r.OpenUnsized(copy.get())) << len;
      }
    }
  }
}

TEST(DialogTemplate, HostileFieldsAreRefused) {
  const std::vector<uint8_t> good = Build(SampleDialog());
  auto refused = [&](auto patch) {
    std::vector<uint8_t> bad = good;
    patch(bad.data());
    auto copy = ExactCopy(bad, bad.size());
    qvp::DialogTemplateReader r;
    return !r.Open(copy.get(), bad.size());
  };
  auto put32 = [](uint8_t* b, size_t at, uint32_t v) { std::memcpy(b + at, &v, 4); };
  auto put16 = [](uint8_t* b, size_t at, uint16_t v) { std::memcpy(b + at, &v, 2); };
  const size_t caption = offsetof(qvp::DialogBlockHeader, caption);
  const size_t first = sizeof(qvp::DialogBlockHeader);
  EXPECT_TRUE(refused([&](uint8_t* b) { put32(b, 0, 0x12345678); }));                        // magic
  EXPECT_TRUE(refused([&](uint8_t* b) { put16(b, 4, 2); }));                                 // version
  EXPECT_TRUE(refused([&](uint8_t* b) { put32(b, caption + 8, 0xFFFFFFFF); }));              // text length wraps
  EXPECT_TRUE(refused([&](uint8_t* b) { put32(b, caption + 4, 0xFFFFFFF0); }));              // text offset outside
  EXPECT_TRUE(refused([&](uint8_t* b) { put32(b, caption + 8, 2); }));                       // no NUL at the end
  EXPECT_TRUE(refused([&](uint8_t* b) { put16(b, caption, 7); }));                           // unknown kind
  EXPECT_TRUE(refused([&](uint8_t* b) { put16(b, 20, 0xFFFF); }));                           // control count
  EXPECT_TRUE(refused([&](uint8_t* b) { put16(b, 22, 8); }));                                // control size too small
  EXPECT_TRUE(refused([&](uint8_t* b) { put32(b, 24, 0xFFFFFFFF); }));                       // controls offset
  EXPECT_TRUE(refused([&](uint8_t* b) { put32(b, first + 24, 0x0999); }));                   // unknown class code
  EXPECT_TRUE(refused([&](uint8_t* b) { put16(b, first + 20, 0); }));                        // control without class
  EXPECT_TRUE(refused([&](uint8_t* b) { put32(b, 92 + 2 * 52 + 48, 0x7FFFFFFF); }));         // creation data size
  EXPECT_TRUE(refused([&](uint8_t* b) { put32(b, 8, qvp::kMaxTemplateSize + 1); }));         // claimed size
  EXPECT_FALSE(refused([](uint8_t*) {}));
}

TEST(DialogTemplate, CorruptedBlocksNeverLeadPastTheirEnd) {
  const std::vector<uint8_t> good = Build(SampleDialog());
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  int opened = 0;
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> bad = good;
    const int changes = 1 + static_cast<int>(next() % 4);
    for (int c = 0; c < changes; ++c) bad[next() % bad.size()] = static_cast<uint8_t>(next());
    auto copy = ExactCopy(bad, bad.size());
    qvp::DialogTemplateReader r;
    if (r.Open(copy.get(), bad.size())) {
      ++opened;
      WalkDialog(r);
    }
  }
  EXPECT_GT(opened, 0);  // changes to plain numbers leave a valid block
}

TEST(DialogTemplate, OpenUnsizedRefusesAnImplausibleSize) {
  std::vector<uint8_t> block = Build(SampleDialog());
  PatchTotalSize(block.data(), qvp::kMaxTemplateSize + 1);
  qvp::DialogTemplateReader r;
  EXPECT_FALSE(r.OpenUnsized(block.data()));
  EXPECT_FALSE(r.OpenUnsized(nullptr));
}

TEST(DialogTemplate, WriterRefusesWhatCannotBeStored) {
  std::vector<uint8_t> block;
  std::string error;
  qvp::DialogDesc nul = SampleDialog();
  nul.caption = qvp::NameOrId::Text(std::string("a\0b", 3));
  EXPECT_FALSE(qvp::BuildDialogTemplate(nul, &block, &error));
  EXPECT_FALSE(error.empty());

  qvp::DialogDesc no_class = SampleDialog();
  no_class.controls[0].window_class = qvp::NameOrId::None();
  EXPECT_FALSE(qvp::BuildDialogTemplate(no_class, &block, &error));

  qvp::DialogDesc bad_code = SampleDialog();
  bad_code.controls[0].window_class = qvp::NameOrId::Id(0x86);
  EXPECT_FALSE(qvp::BuildDialogTemplate(bad_code, &block, &error));

  qvp::DialogDesc many;
  many.controls.resize(0x10000);
  for (qvp::ControlDesc& c : many.controls) c.window_class = qvp::NameOrId::Id(0x80);
  EXPECT_FALSE(qvp::BuildDialogTemplate(many, &block, &error));
  many.controls.pop_back();
  EXPECT_TRUE(qvp::BuildDialogTemplate(many, &block, &error)) << error;
  qvp::DialogTemplateReader r;
  ASSERT_TRUE(r.Open(block.data(), block.size()));
  EXPECT_EQ(r.control_count(), 0xFFFFu);
}

TEST(DialogTemplate, StandardClassesByNameAndCode) {
  EXPECT_EQ(qvp::StandardClassCode("button"), 0x80);
  EXPECT_EQ(qvp::StandardClassCode("SYSLISTVIEW32"), 0x100);
  EXPECT_EQ(qvp::StandardClassCode("msctls_progress32"), 0x104);
  EXPECT_EQ(qvp::StandardClassCode("QvGraph"), 0);
  EXPECT_EQ(qvp::StandardClassCode(""), 0);
  EXPECT_STREQ(qvp::StandardClassName(0x85), "COMBOBOX");
  EXPECT_STREQ(qvp::StandardClassName(0x105), "ToolbarWindow32");
  EXPECT_EQ(qvp::StandardClassName(0x86), nullptr);
}

// ---- Menus ----

std::vector<qvp::MenuItemDesc> SampleMenu() {
  qvp::MenuItemDesc open{0, 40001, "&Open", {}, false};
  qvp::MenuItemDesc separator{qvp::kMenuSeparator, 0, "", {}, false};
  qvp::MenuItemDesc recent_a{qvp::kMenuChecked, 40010, "a.txt", {}, false};
  qvp::MenuItemDesc recent{0, 0, "&Recent", {recent_a}, false};
  qvp::MenuItemDesc empty_popup{qvp::kMenuGrayed, 0, "&Nothing", {}, true};
  qvp::MenuItemDesc file{0, 0, "&File", {open, separator, recent, empty_popup}, false};
  qvp::MenuItemDesc help{qvp::kMenuDisabled, 40100, "&Help", {}, false};
  return {file, help};
}

std::vector<uint8_t> BuildMenu(const std::vector<qvp::MenuItemDesc>& items) {
  std::vector<uint8_t> block;
  std::string error;
  EXPECT_TRUE(qvp::BuildMenuTemplate(items, &block, &error)) << error;
  return block;
}

TEST(MenuTemplate, ReadsBackTheTree) {
  const std::vector<uint8_t> block = BuildMenu(SampleMenu());
  std::vector<uint8_t> copy(block);  // copied whole
  qvp::MenuTemplateReader m;
  ASSERT_TRUE(m.Open(copy.data(), copy.size()));
  ASSERT_EQ(m.top_count(), 2u);
  EXPECT_EQ(m.item_count(), 7u);
  const qvp::MenuItemView file = m.item(0);
  EXPECT_EQ(file.text, "&File");
  EXPECT_EQ(file.flags, qvp::kMenuPopup);
  EXPECT_EQ(file.id, 0u);
  ASSERT_EQ(file.child_count, 4);
  EXPECT_GT(file.first_child, 0);
  EXPECT_EQ(m.item(file.first_child).id, 40001u);
  EXPECT_EQ(m.item(file.first_child + 1).flags, qvp::kMenuSeparator);
  EXPECT_TRUE(m.item(file.first_child + 1).text.empty());
  const qvp::MenuItemView recent = m.item(file.first_child + 2);
  EXPECT_EQ(recent.flags, qvp::kMenuPopup);
  ASSERT_EQ(recent.child_count, 1);
  EXPECT_EQ(m.item(recent.first_child).text, "a.txt");
  EXPECT_EQ(m.item(recent.first_child).flags, qvp::kMenuChecked);
  const qvp::MenuItemView nothing = m.item(file.first_child + 3);
  EXPECT_EQ(nothing.flags, qvp::kMenuPopup | qvp::kMenuGrayed);
  EXPECT_EQ(nothing.child_count, 0);
  EXPECT_EQ(m.item(1).flags, qvp::kMenuDisabled);
  EXPECT_EQ(m.item(1).id, 40100u);
  qvp::MenuTemplateReader unsized;
  EXPECT_TRUE(unsized.OpenUnsized(copy.data()));
}

TEST(MenuTemplate, EveryTruncationAndCorruptionIsHandled) {
  const std::vector<uint8_t> block = BuildMenu(SampleMenu());
  for (size_t len = 0; len < block.size(); ++len) {
    auto copy = ExactCopy(block, len);
    qvp::MenuTemplateReader m;
    EXPECT_FALSE(m.Open(copy.get(), len)) << len;
    if (len >= 12) {
      PatchTotalSize(copy.get(), static_cast<uint32_t>(len));
      EXPECT_FALSE(m.Open(copy.get(), len)) << len;
    }
  }
  uint32_t seed = 99;
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> bad = block;
    for (int c = 0; c < 3; ++c) {
      seed = seed * 1103515245u + 12345u;
      const size_t at = (seed >> 8) % bad.size();
      seed = seed * 1103515245u + 12345u;
      bad[at] = static_cast<uint8_t>(seed >> 16);
    }
    auto copy = ExactCopy(bad, bad.size());
    qvp::MenuTemplateReader m;
    if (m.Open(copy.get(), bad.size())) {
      for (size_t i = 0; i < m.top_count(); ++i) WalkMenu(m, i, 0);
    }
  }
}

TEST(MenuTemplate, ItemsThatDoNotFormATreeAreRefused) {
  // Top: [0] popup; children at 1..2, both popups; item 3 below them.
  qvp::MenuItemDesc leaf{0, 1, "leaf", {}, false};
  qvp::MenuItemDesc a{0, 0, "a", {leaf}, false};
  qvp::MenuItemDesc b{0, 0, "b", {}, true};
  qvp::MenuItemDesc top{0, 0, "top", {a, b}, false};
  const std::vector<uint8_t> good = BuildMenu({top});
  qvp::MenuTemplateReader m;
  ASSERT_TRUE(m.Open(good.data(), good.size()));
  ASSERT_EQ(m.item_count(), 4u);

  auto item_at = [](size_t i, size_t field) { return sizeof(qvp::MenuBlockHeader) + i * sizeof(qvp::MenuBlockItem) + field; };
  auto with = [&](size_t item, size_t field, uint16_t value) {
    std::vector<uint8_t> bad = good;
    std::memcpy(bad.data() + item_at(item, field), &value, 2);
    return bad;
  };
  const size_t first = offsetof(qvp::MenuBlockItem, first_child);
  const size_t count = offsetof(qvp::MenuBlockItem, child_count);
  // Item 2 ("b") claims item 3, which "a" already owns: shared children.
  std::vector<uint8_t> shared = with(2, first, 3);
  std::memcpy(shared.data() + item_at(2, count), "\1\0", 2);
  EXPECT_FALSE(m.Open(shared.data(), shared.size()));
  // A child before its pop-up: a cycle.
  std::vector<uint8_t> cycle = with(1, first, 0);
  EXPECT_FALSE(m.Open(cycle.data(), cycle.size()));
  // "a" lets go of item 3: nothing reaches it.
  std::vector<uint8_t> orphan = with(1, count, 0);
  EXPECT_FALSE(m.Open(orphan.data(), orphan.size()));
  // A plain item with children.
  std::vector<uint8_t> flags = good;
  const uint32_t plain = 0;
  std::memcpy(flags.data() + item_at(1, 0), &plain, 4);
  EXPECT_FALSE(m.Open(flags.data(), flags.size()));
  // Flags nobody knows.
  std::vector<uint8_t> unknown = good;
  const uint32_t odd = 0x10 | 0x100000;
  std::memcpy(unknown.data() + item_at(0, 0), &odd, 4);
  EXPECT_FALSE(m.Open(unknown.data(), unknown.size()));
}

TEST(MenuTemplate, WriterRefusesWhatCannotBeStored) {
  std::vector<uint8_t> block;
  std::string error;
  qvp::MenuItemDesc separator_popup{qvp::kMenuSeparator, 0, "", {qvp::MenuItemDesc{0, 1, "x", {}, false}}, false};
  EXPECT_FALSE(qvp::BuildMenuTemplate({separator_popup}, &block, &error));
  qvp::MenuItemDesc odd_flags{0x20, 1, "x", {}, false};
  EXPECT_FALSE(qvp::BuildMenuTemplate({odd_flags}, &block, &error));
  qvp::MenuItemDesc nul{0, 1, std::string("a\0b", 3), {}, false};
  EXPECT_FALSE(qvp::BuildMenuTemplate({nul}, &block, &error));
  EXPECT_TRUE(qvp::BuildMenuTemplate({}, &block, &error));
  qvp::MenuTemplateReader m;
  EXPECT_TRUE(m.Open(block.data(), block.size()));
  EXPECT_EQ(m.item_count(), 0u);
}

}  // namespace
