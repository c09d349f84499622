// The in-memory tree of the registry store: keys with sub-keys sorted without
// regard to case (the order enumeration reports) and values in creation order.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "qvplatform/nocase.h"
#include "qvplatform/types.h"

namespace qvp::registry {

// Key and value names compare as Windows compares them (qvp::EqualNoCase);
// keys list in the order of their upper-cased names.
struct LessNoCase {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

struct Value {
  std::string name;  // empty: the key's default value
  DWORD type = 0;
  std::vector<BYTE> data;
};

// Brings string data into the shape every reader may rely on: a REG_SZ or
// REG_EXPAND_SZ ends in a NUL, a REG_MULTI_SZ in an empty string.
void TerminateStringData(DWORD type, std::vector<BYTE>& data);

// Windows' limits: a key name holds at most 255 characters and a key lies at
// most 512 levels below its root. Both the calls and the store's reader refuse
// more, so no tree grows without bound.
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxKeyDepth = 512;

struct Key {
  Key() = default;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  // Frees the keys below with a list of its own rather than one call per level.
  ~Key();

  std::string name;
  std::weak_ptr<Key> parent;
  bool deleted = false;
  uint64_t last_write = 0;  // 100-ns intervals since 1601 (FILETIME)
  std::vector<Value> values;
  std::map<std::string, std::shared_ptr<Key>, LessNoCase> children;

  Value* FindValue(std::string_view value_name);
  // Replaces or appends (keeping the position of a replaced value).
  void SetValue(Value value);
  bool RemoveValue(std::string_view value_name);
  std::shared_ptr<Key> FindChild(std::string_view child_name) const;
};

// The three stored roots; HKEY_CLASSES_ROOT lives under the local machine.
enum Root { kLocalMachine = 0, kCurrentUser = 1, kUsers = 2, kRootCount = 3 };
const char* RootName(int root);

struct Tree {
  std::shared_ptr<Key> roots[kRootCount];
  Tree();
};

// The number of levels between a key and its root (a root is at 0).
size_t Depth(const Key& key);

// Marks a key and everything below it deleted (open handles see ERROR_KEY_DELETED).
void MarkDeleted(Key& key);

// Makes `live` hold the contents of `loaded` while keeping the identity of
// every key present in both, so open handles follow a reload.
void MergeTree(const std::shared_ptr<Key>& live, Key& loaded);

uint64_t FileTimeNow();
uint64_t FileTimeFromUnix(int64_t seconds, int64_t nanoseconds);

}  // namespace qvp::registry
