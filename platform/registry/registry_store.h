// The registry store's file: where it lives, loading it when it changed on
// disk, and writing it back atomically. One process-wide lock guards the tree;
// writers also hold an advisory lock on "<file>.lock" so that processes
// sharing the file do not lose each other's changes.
#pragma once

#include <memory>
#include <mutex>

#include "registry/registry_tree.h"

namespace qvp::registry {

// The store for the length of one registry call.
class Session {
 public:
  enum Mode { kRead, kWrite };
  explicit Session(Mode mode);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // ERROR_SUCCESS, or why the store cannot be used (ERROR_REGISTRY_CORRUPT).
  LONG status() const { return status_; }
  std::shared_ptr<Key> Root(int root);
  // HKEY_CLASSES_ROOT: HKEY_LOCAL_MACHINE\Software\Classes, made when missing.
  std::shared_ptr<Key> ClassesRoot();
  // Writes the tree to the file (write sessions only). On failure the
  // in-memory change is dropped at the next call, which reloads the file.
  LONG Commit();

 private:
  std::unique_lock<std::mutex> guard_;
  int lock_fd_ = -1;
  LONG status_ = 0;
};

void SetFile(const char* path);
bool Preload(const char* text);

}  // namespace qvp::registry
