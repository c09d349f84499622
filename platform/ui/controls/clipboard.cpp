// The clipboard of the process: one thread at a time opens it; what is put on
// it belongs to it from then on and is freed when it is emptied, and the
// window that owned it hears WM_DESTROYCLIPBOARD. Data promised for later
// (SetClipboardData with no handle) is not rendered: asking for it gives null. CF_TEXT and
// CF_UNICODETEXT stand in for each other: asking for the one that was not put
// there converts the other (Windows-1252), as Windows does.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "qvplatform/kernel.h"
#include "qvplatform/ui.h"
#include "qvplatform/ui_controls.h"

namespace {

struct Entry {
  UINT format = 0;
  HANDLE data = nullptr;     // null: promised, not rendered (delayed rendering)
  bool synthesized = false;  // converted by the clipboard from another text format
};

struct Clipboard {
  std::mutex lock;
  DWORD open_thread = 0;  // 0: closed
  HWND open_window = nullptr;
  HWND owner = nullptr;
  std::vector<Entry> entries;
};

Clipboard& Board() {
  static auto* board = new Clipboard;  // lives to the end of the process
  return *board;
}

bool IsText(UINT format) { return format == CF_TEXT || format == CF_UNICODETEXT; }

// Whether the clipboard frees the handle as global memory. Private formats stay
// with their owner; GDI objects are not global memory blocks.
bool IsGlobalMemory(UINT format) {
  if (format >= CF_PRIVATEFIRST && format <= CF_GDIOBJLAST) return false;
  return format != CF_BITMAP && format != CF_PALETTE && format != CF_ENHMETAFILE && format != CF_DSPBITMAP &&
         format != CF_DSPENHMETAFILE;
}

void Release(const Entry& e) {
  if (e.data && IsGlobalMemory(e.format)) GlobalFree(e.data);
}

Entry* FindLocked(Clipboard& c, UINT format) {
  for (Entry& e : c.entries)
    if (e.format == format) return &e;
  return nullptr;
}

bool OpenedByCaller(const Clipboard& c) { return c.open_thread != 0 && c.open_thread == GetCurrentThreadId(); }

// The bytes of a global block up to its first terminator of `unit` bytes.
std::string ReadTerminated(HANDLE h, size_t unit) {
  std::string out;
  const SIZE_T size = GlobalSize(h);
  const char* p = static_cast<const char*>(GlobalLock(h));
  if (!p) return out;
  size_t n = 0;
  while (n + unit <= size) {
    bool zero = true;
    for (size_t k = 0; k < unit; ++k) zero = zero && p[n + k] == 0;
    if (zero) break;
    n += unit;
  }
  out.assign(p, n);
  GlobalUnlock(h);
  return out;
}

HANDLE MakeBlock(const void* bytes, size_t size, size_t terminator) {
  HANDLE h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size + terminator);
  if (!h) return nullptr;
  void* p = GlobalLock(h);
  if (!p) {
    GlobalFree(h);
    return nullptr;
  }
  if (size) std::memcpy(p, bytes, size);
  GlobalUnlock(h);
  return h;
}

// Converts the text held in `from` into the other text format.
HANDLE Convert(const Entry& from, UINT to) {
  if (from.format == CF_TEXT && to == CF_UNICODETEXT) {
    std::string text = ReadTerminated(from.data, 1);
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::vector<WCHAR> wide(static_cast<size_t>(std::max(n, 0)));
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return MakeBlock(wide.data(), wide.size() * sizeof(WCHAR), sizeof(WCHAR));
  }
  if (from.format == CF_UNICODETEXT && to == CF_TEXT) {
    std::string raw = ReadTerminated(from.data, sizeof(WCHAR));
    std::vector<WCHAR> wide(raw.size() / sizeof(WCHAR));
    if (!wide.empty()) std::memcpy(wide.data(), raw.data(), wide.size() * sizeof(WCHAR));
    const int count = static_cast<int>(wide.size());
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), count, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide.data(), count, text.data(), n, nullptr, nullptr);
    return MakeBlock(text.data(), text.size(), 1);
  }
  return nullptr;
}

// The rendered text entry another text format can be made from.
Entry* TextSourceLocked(Clipboard& c, UINT wanted) {
  if (!IsText(wanted)) return nullptr;
  for (Entry& e : c.entries)
    if (IsText(e.format) && e.format != wanted && !e.synthesized && e.data) return &e;
  return nullptr;
}

}  // namespace

BOOL WINAPI OpenClipboard(HWND hWndNewOwner) {
  Clipboard& c = Board();
  std::lock_guard<std::mutex> g(c.lock);
  const DWORD me = GetCurrentThreadId();
  if (c.open_thread != 0 && c.open_thread != me) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  c.open_thread = me;
  c.open_window = hWndNewOwner;
  return TRUE;
}

BOOL WINAPI CloseClipboard(void) {
  Clipboard& c = Board();
  std::lock_guard<std::mutex> g(c.lock);
  if (!OpenedByCaller(c)) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return FALSE;
  }
  c.open_thread = 0;
  c.open_window = nullptr;
  return TRUE;
}

BOOL WINAPI EmptyClipboard(void) {
  std::vector<Entry> old;
  HWND previous_owner = nullptr;
  {
    Clipboard& c = Board();
    std::lock_guard<std::mutex> g(c.lock);
    if (!OpenedByCaller(c)) {
      SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
      return FALSE;
    }
    old.swap(c.entries);
    previous_owner = c.owner;
    c.owner = c.open_window;
  }
  // The window that owned the data hears that it is gone.
  if (previous_owner && IsWindow(previous_owner)) SendMessageA(previous_owner, WM_DESTROYCLIPBOARD, 0, 0);
  for (const Entry& e : old) Release(e);
  return TRUE;
}

HANDLE WINAPI SetClipboardData(UINT uFormat, HANDLE hMem) {
  std::vector<Entry> old;
  {
    Clipboard& c = Board();
    std::lock_guard<std::mutex> g(c.lock);
    if (!OpenedByCaller(c)) {
      SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
      return nullptr;
    }
    if (uFormat == 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    // The new data replaces what the format held, and any text made from older data.
    auto stale = [&](const Entry& e) { return e.format == uFormat || (e.synthesized && IsText(uFormat)); };
    for (const Entry& e : c.entries)
      if (stale(e) && e.data != hMem) old.push_back(e);
    std::erase_if(c.entries, stale);
    c.entries.push_back(Entry{uFormat, hMem, false});
  }
  for (const Entry& e : old) Release(e);
  return hMem;
}

HANDLE WINAPI GetClipboardData(UINT uFormat) {
  Clipboard& c = Board();
  std::lock_guard<std::mutex> g(c.lock);
  if (!OpenedByCaller(c)) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return nullptr;
  }
  if (Entry* e = FindLocked(c, uFormat)) return e->data;
  Entry* source = TextSourceLocked(c, uFormat);
  if (!source) return nullptr;
  HANDLE made = Convert(*source, uFormat);
  if (!made) return nullptr;
  c.entries.push_back(Entry{uFormat, made, true});
  return made;
}

BOOL WINAPI IsClipboardFormatAvailable(UINT format) {
  Clipboard& c = Board();
  std::lock_guard<std::mutex> g(c.lock);
  return (FindLocked(c, format) || TextSourceLocked(c, format)) ? TRUE : FALSE;
}
