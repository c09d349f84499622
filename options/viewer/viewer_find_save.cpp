// Find in the viewer's text, and saving the text as a file.
#include <algorithm>
#include <cstring>
#include <string>

#include "ctlpack4.h"
#include "mega_view.h"
#include "program_paths.h"
#include "qv_ui.h"
#include "res_text.h"

namespace {

constexpr UINT kFilterSaved = 9192;  // a text the program fills (kind 0)
constexpr UINT kFilterFile = 9193;   // a file shown as it is
constexpr UINT kSaveTitle = 9194;
constexpr UINT kNotFoundCaption = 9196;
constexpr UINT kNotFoundText = 9197;
constexpr UINT kEndCaption = 9198;
constexpr UINT kEndText = 9199;
constexpr int kFindChars = 64;
constexpr size_t kWriteChunk = 1u << 20;

void PumpMessages(HWND dialog) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (IsDialogMessageA(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD part = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kWriteChunk));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, part, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

int Box(HWND dialog, UINT captionId, UINT textId, UINT style) {
  char caption[kResTextMax + 1];
  char text[kResTextMax + 1];
  return MessageBoxA(dialog, LoadResText(textId, text, sizeof text), LoadResText(captionId, caption, sizeof caption),
                     style);
}

}  // namespace

void FindInViewer(HWND dialog) {
  char text[kFindChars + 1] = {};
  GetDlgItemTextA(dialog, kFindTextId, text, sizeof text);
  if (text[0] == '\0') return;
  HWND control = GetDlgItem(dialog, kViewerTextId);
  // Each search shows the wait cursor while the viewer looks.
  auto find = [&](WPARAM fromStart) {
    CWaitCursor wait;
    return SendMessageA(control, kViewerFind, fromStart, reinterpret_cast<LPARAM>(text));
  };
  LRESULT result = find(1);
  for (;;) {
    if (result == kViewerFound) return;
    if (result == kViewerNotFound) {
      Box(dialog, kNotFoundCaption, kNotFoundText, MB_OK | MB_ICONINFORMATION);
      return;
    }
    if (result != kViewerEndReached) return;
    if (Box(dialog, kEndCaption, kEndText, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    result = find(0);
  }
}

void ExpandViewerTabs(const char* line, size_t length, int tabCount, const uint16_t* tabStops, std::string* out) {
  out->clear();
  if (tabStops == nullptr) tabCount = 0;
  for (size_t i = 0; i < length; ++i) {
    if (line[i] != '\t') {
      out->push_back(line[i]);
      continue;
    }
    const size_t column = out->size();
    size_t target = column;
    for (int t = 0; t < tabCount; ++t) {
      if (tabStops[t] > column) {
        target = tabStops[t];
        break;
      }
    }
    // A tab past the last stop still parts the words around it.
    if (target == column) target = column + 1;
    out->append(target - column, ' ');
  }
}

int SaveViewerText(HWND dialog, int kind, long lineCount, int tabCount, const uint16_t* tabStops, int sectionMode,
                   int firstSection, char* path, int* filter) {
  if (path == nullptr || filter == nullptr) return 0;
  const bool ask = sectionMode == 0 || firstSection != 0;
  if (ask) {
    char folder[MAX_PATH] = {};
    MakeProgramPath(nullptr, "REPORTS", folder, sizeof folder);
    CreateDirectoryA(folder, nullptr);
    char filters[kResTextMax + 2] = {};
    LoadResText(kind != 0 ? kFilterFile : kFilterSaved, filters, kResTextMax + 1);
    for (char& c : filters)
      if (c == '\x01') c = '\0';
    char title[kResTextMax + 1];
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = filters;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = folder;
    ofn.lpstrTitle = LoadResText(kSaveTitle, title, sizeof title);
    if (kind != 0) {
      ofn.Flags = OFN_HIDEREADONLY;
    } else {
      ofn.nFilterIndex = 2;
      ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    }
    if (!GetSaveFileNameA(&ofn)) return 1;
    *filter = static_cast<int>(ofn.nFilterIndex);
  }
  const bool append = sectionMode != 0 && firstSection == 0;
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, append ? OPEN_EXISTING : CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  if (append) SetFilePointer(file, 0, nullptr, FILE_END);

  HWND control = GetDlgItem(dialog, kViewerTextId);
  const bool plain = *filter != 2;
  const long step = std::max<long>(lineCount / 100, 1);
  std::string line;
  std::string expanded;
  std::string pending;
  bool ok = true;
  for (long l = 0; l < lineCount && ok; ++l) {
    if (l % step == 0) PumpMessages(dialog);
    SendMessageA(control, kViewerSetCurrentLine, 0, l);
    // Lines of any length: the buffer takes the whole line.
    const LRESULT length = SendMessageA(control, kViewerLineLength, 0, 0);
    line.assign(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
    const LRESULT got = SendMessageA(control, plain ? kViewerGetPlainLine : kViewerGetMarkedLine, line.size(),
                                     reinterpret_cast<LPARAM>(line.data()));
    line.resize(static_cast<size_t>(std::max<LRESULT>(got, 0)));
    if (plain) {
      ExpandViewerTabs(line.data(), line.size(), tabCount, tabStops, &expanded);
      pending += expanded;
    } else {
      pending += line;
    }
    // Empty lines are kept, so the saved text has the shown one's shape.
    pending += "\r\n";
    if (pending.size() >= kWriteChunk) {
      ok = WriteAll(file, pending);
      pending.clear();
    }
  }
  if (ok && sectionMode != 0) pending += "\r\n\r\n\r\n\r\n";
  if (ok) ok = WriteAll(file, pending);
  CloseHandle(file);
  return ok ? 1 : 0;
}
