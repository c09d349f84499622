#include "registry/registry_tree.h"

#include <algorithm>
#include <ctime>
#include <vector>

#include "qvplatform/registry.h"

namespace qvp::registry {
bool LessNoCase::operator()(std::string_view a, std::string_view b) const {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    auto ca = static_cast<unsigned char>(Upper(a[i]));
    auto cb = static_cast<unsigned char>(Upper(b[i]));
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
}

void TerminateStringData(DWORD type, std::vector<BYTE>& data) {
  if (data.empty()) return;
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    if (data.back() != 0) data.push_back(0);
  } else if (type == REG_MULTI_SZ) {
    if (data.back() != 0) data.push_back(0);
    if (data.size() >= 2 && data[data.size() - 2] != 0) data.push_back(0);
  }
}

Value* Key::FindValue(std::string_view value_name) {
  for (Value& v : values) {
    if (EqualNoCase(v.name, value_name)) return &v;
  }
  return nullptr;
}

void Key::SetValue(Value value) {
  TerminateStringData(value.type, value.data);
  if (Value* existing = FindValue(value.name)) {
    *existing = std::move(value);
  } else {
    values.push_back(std::move(value));
  }
}

bool Key::RemoveValue(std::string_view value_name) {
  auto it = std::find_if(values.begin(), values.end(),
                         [&](const Value& v) { return EqualNoCase(v.name, value_name); });
  if (it == values.end()) return false;
  values.erase(it);
  return true;
}

Key::~Key() {
  std::vector<std::shared_ptr<Key>> pending;
  auto take_children = [&pending](Key& key) {
    for (auto& entry : key.children) pending.push_back(std::move(entry.second));
    key.children.clear();
  };
  take_children(*this);
  while (!pending.empty()) {
    std::shared_ptr<Key> key = std::move(pending.back());
    pending.pop_back();
    // A key someone else still holds keeps its sub-keys.
    if (key.use_count() == 1) take_children(*key);
  }
}

size_t Depth(const Key& key) {
  size_t depth = 0;
  for (std::shared_ptr<Key> up = key.parent.lock(); up; up = up->parent.lock()) ++depth;
  return depth;
}

std::shared_ptr<Key> Key::FindChild(std::string_view child_name) const {
  auto it = children.find(child_name);
  return it == children.end() ? nullptr : it->second;
}

const char* RootName(int root) {
  switch (root) {
    case kLocalMachine: return "HKEY_LOCAL_MACHINE";
    case kCurrentUser: return "HKEY_CURRENT_USER";
    case kUsers: return "HKEY_USERS";
    default: return "";
  }
}

Tree::Tree() {
  for (int i = 0; i < kRootCount; ++i) {
    roots[i] = std::make_shared<Key>();
    roots[i]->name = RootName(i);
    roots[i]->last_write = FileTimeNow();
  }
  // HKEY_CLASSES_ROOT's home is always there, in every loaded tree as well,
  // so that a handle to it survives a reload.
  std::shared_ptr<Key> key = roots[kLocalMachine];
  for (const char* name : {"Software", "Classes"}) {
    auto child = std::make_shared<Key>();
    child->name = name;
    child->parent = key;
    child->last_write = FileTimeNow();
    key->children.emplace(child->name, child);
    key = child;
  }
}

void MarkDeleted(Key& key) {
  // Every key below, detached level by level and freed together at the end.
  std::vector<std::shared_ptr<Key>> below;
  auto detach = [&below](Key& k) {
    k.deleted = true;
    k.values.clear();
    for (auto& entry : k.children) below.push_back(std::move(entry.second));
    k.children.clear();
  };
  detach(key);
  for (size_t i = 0; i < below.size(); ++i) detach(*below[i]);
}

void MergeTree(const std::shared_ptr<Key>& live_ptr, Key& loaded) {
  Key& live = *live_ptr;
  live.values = std::move(loaded.values);
  live.last_write = loaded.last_write;
  for (auto it = live.children.begin(); it != live.children.end();) {
    if (loaded.children.find(it->first) == loaded.children.end()) {
      MarkDeleted(*it->second);
      it = live.children.erase(it);
    } else {
      ++it;
    }
  }
  for (auto& [name, child] : loaded.children) {
    auto found = live.children.find(name);
    if (found == live.children.end()) {
      child->parent = live_ptr;
      live.children.emplace(name, child);
      continue;
    }
    std::shared_ptr<Key> kept = found->second;
    MergeTree(kept, *child);
    if (kept->name != child->name) {  // the spelling changed: re-key the map entry
      live.children.erase(found);
      kept->name = child->name;
      live.children.emplace(kept->name, kept);
    }
  }
}

uint64_t FileTimeFromUnix(int64_t seconds, int64_t nanoseconds) {
  constexpr int64_t kEpochDelta = 11644473600;  // seconds from 1601 to 1970
  return static_cast<uint64_t>(seconds + kEpochDelta) * 10000000u + static_cast<uint64_t>(nanoseconds / 100);
}

uint64_t FileTimeNow() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return FileTimeFromUnix(ts.tv_sec, ts.tv_nsec);
}

}  // namespace qvp::registry
