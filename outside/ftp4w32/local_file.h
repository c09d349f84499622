// The local side of a transfer: files named by the system's Windows paths,
// opened through the platform layer (so the path mapper applies), and the
// completion message of the asynchronous mode. Internal to FTP4W32.DLL.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ftp4w {

class LocalFile {
 public:
  LocalFile() = default;
  ~LocalFile() { Close(); }
  LocalFile(const LocalFile&) = delete;
  LocalFile& operator=(const LocalFile&) = delete;

  // Makes the file anew (empty) for writing; false when it cannot.
  bool Create(const char* path);
  // Opens an existing file for reading; false when it cannot.
  bool OpenForReading(const char* path);
  bool Write(const char* data, size_t size);
  // Bytes read, 0 at the end, -1 on error.
  long Read(char* buffer, size_t size);
  // The size of a file opened for reading.
  int64_t Size() const;
  void Close();

 private:
  void* handle_ = nullptr;
};

// Posts (message, result, 0) to the window.
void PostResult(void* window, unsigned message, int result);

}  // namespace ftp4w
