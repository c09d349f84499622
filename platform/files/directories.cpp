// The process's current directory, full path names, temporary names, the
// layer's Windows directory and the drive list.
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "files/path_mapper.h"
#include "files/win_error.h"
#include "qvplatform/files.h"
#include "qvplatform/kernel.h"

namespace {

// Windows' way of returning a string into a caller's buffer: the length without
// the terminating NUL when it fits, else the size needed including the NUL (the
// buffer is then left untouched).
DWORD CopyOut(const std::string& text, DWORD size, char* buffer) {
  if (buffer != nullptr && text.size() < size) {
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return static_cast<DWORD>(text.size());
  }
  return static_cast<DWORD>(text.size() + 1);
}

// The Windows form of an absolute Linux path: "/home/x" becomes "\home\x", a
// path rooted on the current drive, which every file call maps back.
std::string WindowsForm(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string CurrentDirectory() {
  std::vector<char> buffer(PATH_MAX);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

std::string Join(const std::vector<std::string>& parts, char separator) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += separator;
    out += parts[i];
  }
  return out;
}

struct WindowsDirState {
  std::mutex lock;
  std::string chosen;  // set by SetWindowsDirectory; empty: the default
};

WindowsDirState& WindowsDir() {
  static WindowsDirState* state = new WindowsDirState;
  return *state;
}

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  struct passwd pw;
  struct passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (::getpwuid_r(::getuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  return "/tmp";
}

}  // namespace

namespace qvp {

void SetWindowsDirectory(const char* linux_directory) {
  WindowsDirState& state = WindowsDir();
  std::lock_guard<std::mutex> g(state.lock);
  state.chosen = linux_directory ? linux_directory : "";
  while (state.chosen.size() > 1 && state.chosen.back() == '/') state.chosen.pop_back();
}

std::string WindowsDirectory() {
  std::string directory;
  {
    WindowsDirState& state = WindowsDir();
    std::lock_guard<std::mutex> g(state.lock);
    directory = state.chosen;
  }
  if (directory.empty()) {
    const char* configured = std::getenv("QV_WINDOWS_DIR");
    directory =
        configured != nullptr && configured[0] != '\0' ? configured : HomeDirectory() + "/.quorvane/windows";
    while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
  }
  std::error_code ignored;
  std::filesystem::create_directories(directory, ignored);
  return directory;
}

}  // namespace qvp

DWORD GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
  return qvp::NoThrow<DWORD>(0, [&]() -> DWORD {
    std::string current = CurrentDirectory();
    if (current.empty()) {
      SetLastError(qvp::WinErrorFromErrno(errno));
      return 0;
    }
    return CopyOut(WindowsForm(current), nBufferLength, lpBuffer);
  });
}

BOOL SetCurrentDirectoryA(LPCSTR lpPathName) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    qvp::MappedPath mapped = qvp::MapPath(lpPathName);
    if (!mapped.ok()) return qvp::FailWith(mapped.error);
    if (::chdir(mapped.path.c_str()) == 0) return TRUE;
    if (errno == ENOTDIR) return qvp::FailWith(ERROR_DIRECTORY);
    return qvp::FailWithErrno();
  });
}

DWORD GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart) {
  return qvp::NoThrow<DWORD>(0, [&]() -> DWORD {
    if (lpFilePart) *lpFilePart = nullptr;
    qvp::ParsedPath parsed = qvp::ParseWindowsPath(lpFileName, false);
    if (parsed.error != ERROR_SUCCESS) {
      SetLastError(parsed.error);
      return 0;
    }
    std::string full;
    const char separator = '\\';
    if (parsed.root == qvp::PathRoot::kDrive) {
      full = std::string(1, parsed.drive) + ":\\" + Join(parsed.components, '\\');
    } else {
      std::vector<std::string> parts;
      if (parsed.root == qvp::PathRoot::kRelative) {
        std::string current = CurrentDirectory();
        if (current.empty()) {
          SetLastError(qvp::WinErrorFromErrno(errno));
          return 0;
        }
        size_t i = 0;
        while (i < current.size()) {
          size_t next = current.find('/', i);
          if (next == std::string::npos) next = current.size();
          if (next > i) parts.push_back(current.substr(i, next - i));
          i = next + 1;
        }
      }
      for (const std::string& name : parsed.components) {
        if (name == "..") {
          if (!parts.empty()) parts.pop_back();
        } else {
          parts.push_back(name);
        }
      }
      full.assign(1, '\\');
      full += Join(parts, '\\');
    }
    if (parsed.trailing_separator && full.back() != separator) full += separator;
    DWORD result = CopyOut(full, nBufferLength, lpBuffer);
    if (result < nBufferLength && lpFilePart && full.back() != separator) {
      *lpFilePart = lpBuffer + full.find_last_of(separator) + 1;
    }
    return result;
  });
}

DWORD GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
  return qvp::NoThrow<DWORD>(0, [&]() -> DWORD {
    const char* configured = std::getenv("TMPDIR");
    std::string path = configured != nullptr && configured[0] == '/' ? configured : "/tmp";
    if (path.back() != '/') path += '/';
    return CopyOut(WindowsForm(path), nBufferLength, lpBuffer);
  });
}

UINT GetTempFileNameA(LPCSTR lpPathName, LPCSTR lpPrefixString, UINT uUnique, LPSTR lpTempFileName) {
  return qvp::NoThrow<UINT>(0, [&]() -> UINT {
    if (lpPathName == nullptr || lpTempFileName == nullptr) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    std::string directory = lpPathName;
    std::string prefix = lpPrefixString ? std::string(lpPrefixString).substr(0, 3) : std::string();
    if (!directory.empty() && directory.back() != '\\' && directory.back() != '/') {
      directory += '\\';
    }
    auto compose = [&](UINT number) {
      char name[16];
      std::snprintf(name, sizeof name, "%04X.TMP", number & 0xFFFFu);
      return directory + prefix + name;
    };
    if (compose(0).size() >= MAX_PATH) {
      SetLastError(ERROR_BUFFER_OVERFLOW);
      return 0;
    }
    if (uUnique != 0) {
      std::string name = compose(uUnique);
      std::memcpy(lpTempFileName, name.c_str(), name.size() + 1);
      return uUnique & 0xFFFFu;
    }
    // Try numbers from a varying start until a name is free, creating the file so
    // that the name stays ours.
    UINT number =
        static_cast<UINT>((::getpid() * 7919u + static_cast<unsigned>(std::time(nullptr))) & 0xFFFFu);
    for (int attempt = 0; attempt < 0x10000; ++attempt) {
      number = (number + 1) & 0xFFFFu;
      if (number == 0) continue;
      std::string name = compose(number);
      qvp::MappedPath mapped = qvp::MapPath(name.c_str());
      if (!mapped.ok()) {
        SetLastError(mapped.error);
        return 0;
      }
      int fd = ::open(mapped.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd >= 0) {
        ::close(fd);
        std::memcpy(lpTempFileName, name.c_str(), name.size() + 1);
        return number;
      }
      if (errno != EEXIST) {
        SetLastError(errno == ENOENT ? ERROR_DIRECTORY : qvp::WinErrorFromErrno(errno));
        return 0;
      }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
  });
}

UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
  return qvp::NoThrow<UINT>(0, [&]() -> UINT { return CopyOut(WindowsForm(qvp::WindowsDirectory()), uSize, lpBuffer); });
}

UINT GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
  return qvp::NoThrow<UINT>(0, [&]() -> UINT {
    const std::filesystem::path system = std::filesystem::path(qvp::WindowsDirectory()) / "system32";
    std::error_code error;
    std::filesystem::create_directories(system, error);
    const std::filesystem::path services = system / "MAPISVC.INF";
    if (!std::filesystem::exists(services, error)) {
      // Made once; a file a user or test put there is kept as it is.
      if (FILE* file = std::fopen(services.c_str(), "wx")) {
        std::fputs("[Services]\r\nIMAIL=Internet Mail\r\n", file);
        std::fclose(file);
      }
    }
    return CopyOut(WindowsForm(system.string()), uSize, lpBuffer);
  });
}

DWORD GetLogicalDriveStringsA(DWORD nBufferLength, LPSTR lpBuffer) {
  return qvp::NoThrow<DWORD>(0, [&]() -> DWORD {
    std::string list;
    for (char drive : qvp::MappedDrives()) {
      list += drive;
      list += ":\\";
      list += '\0';
    }
    if (lpBuffer != nullptr && list.size() < nBufferLength) {
      std::memcpy(lpBuffer, list.data(), list.size());
      lpBuffer[list.size()] = '\0';
      return static_cast<DWORD>(list.size());
    }
    return static_cast<DWORD>(list.size() + 1);
  });
}
