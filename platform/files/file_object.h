// An open file as a kernel object of the layer's handle table.
#pragma once

#include <unistd.h>

#include "kernel/handles.h"

namespace qvp {

class FileObject : public KernelObject {
 public:
  // Takes ownership of `fd`. `regular` is false for devices and pipes, whose
  // reads return what is there instead of waiting for the whole count.
  FileObject(int fd, bool can_read, bool can_write, bool regular)
      : fd_(fd), can_read_(can_read), can_write_(can_write), regular_(regular) {}
  ~FileObject() override { ::close(fd_); }
  FileObject(const FileObject&) = delete;
  FileObject& operator=(const FileObject&) = delete;

  int fd() const { return fd_; }
  bool can_read() const { return can_read_; }
  bool can_write() const { return can_write_; }
  bool regular() const { return regular_; }

 private:
  int fd_;
  bool can_read_;
  bool can_write_;
  bool regular_;
};

}  // namespace qvp
