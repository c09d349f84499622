// Tests only: a string table served as the resources of a stand-in resource
// module, made the program's resource module while the object lives.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app_globals.h"
#include "qvplatform.h"

class TestStrings {
 public:
  explicit TestStrings(const std::map<UINT, std::string>& strings) {
    std::map<UINT, std::map<UINT, std::string>> blocks;
    for (const auto& [id, text] : strings) blocks[id / 16 + 1][id % 16] = text;
    for (const auto& [block, texts] : blocks) {
      std::vector<unsigned char> bytes;
      for (UINT index = 0; index < 16; ++index) {
        const auto found = texts.find(index);
        const std::string text = found != texts.end() ? found->second : std::string();
        bytes.push_back(static_cast<unsigned char>(text.size() & 0xff));
        bytes.push_back(static_cast<unsigned char>(text.size() >> 8));
        bytes.insert(bytes.end(), text.begin(), text.end());
      }
      data_.push_back(std::move(bytes));
      ids_.push_back(static_cast<uint16_t>(block));
    }
    for (size_t i = 0; i < data_.size(); ++i) {
      entries_.push_back(QvResourceEntry{nullptr, nullptr, data_[i].data(),
                                         static_cast<uint32_t>(data_[i].size()), 6, ids_[i],
                                         1033, 0});
    }
    directory_ = QvResourceDirectory{QV_RESOURCE_TABLE_MAGIC, QV_RESOURCE_TABLE_VERSION,
                                     static_cast<uint32_t>(entries_.size()), 0, entries_.data()};
    qvp::RegisterResourceTableForTests(module(), &directory_);
    previous_ = g_app.resourceModule;
    g_app.resourceModule = module();
  }
  ~TestStrings() {
    g_app.resourceModule = previous_;
    qvp::RegisterResourceTableForTests(module(), nullptr);
  }
  TestStrings(const TestStrings&) = delete;
  TestStrings& operator=(const TestStrings&) = delete;

  HMODULE module() const { return reinterpret_cast<HMODULE>(const_cast<TestStrings*>(this)); }

 private:
  std::vector<std::vector<unsigned char>> data_;
  std::vector<uint16_t> ids_;
  std::vector<QvResourceEntry> entries_;
  QvResourceDirectory directory_{};
  HINSTANCE previous_ = nullptr;
};
