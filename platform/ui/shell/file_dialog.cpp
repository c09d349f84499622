// GetOpenFileNameA and GetSaveFileNameA, asked through the prompt interface.
//
// The dialog's own refusals are kept: a name that cannot be a file, a missing
// folder (OFN_PATHMUSTEXIST) or file (OFN_FILEMUSTEXIST) shows the message box
// the dialog shows and asks again; so does an existing file that the
// overwrite question (OFN_OVERWRITEPROMPT) keeps.
#include <string>
#include <vector>

#include "ui/prompt.h"
#include "ui/shell/commdlg_common.h"
#include "ui/shell/file_names.h"
#include "ui/shell/screen_dialog.h"

using namespace qvp::ui::commdlg;

namespace {

constexpr DWORD kSizeIn32Bits = 76;
// A dialog asks again after each refusal; a script that keeps answering
// refused names ends here.
constexpr int kMaxAsks = 16;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string CurrentFolder() {
  char buffer[MAX_PATH * 4];
  DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

struct Dialog {
  OPENFILENAMEA& ofn;
  bool save;
  std::string title;
  std::string folder;  // where relative names are found
};

// Why the dialog refuses a file it was given, as its message box says it; empty when it takes it.
// `ask_overwrite` is set for a save over an existing file that needs the user's yes.
std::string Refusal(const Dialog& d, const std::string& typed, const std::string& full, bool* ask_overwrite) {
  const DWORD flags = d.ofn.Flags;
  if (full.empty() || IsFolder(full)) return typed + "\nThe file name is not valid.";
  const bool must_exist = !d.save && (flags & OFN_FILEMUSTEXIST);
  if ((must_exist || (flags & OFN_PATHMUSTEXIST)) && !IsFolder(FolderOf(full)))
    return full + "\nPath does not exist.\nCheck the path and try again.";
  if (must_exist && !Exists(full)) return typed + "\nFile not found.\nCheck the file name and try again.";
  if (d.save && (flags & OFN_OVERWRITEPROMPT) && Exists(full)) *ask_overwrite = true;
  return {};
}

// Turns an answer into full paths, or says why the dialog refuses it.
bool Accept(const Dialog& d, const qvp::PromptAnswer& answer, std::vector<std::string>* paths) {
  std::vector<std::string> typed = answer.files.empty() ? std::vector<std::string>{answer.text} : answer.files;
  paths->clear();
  for (const std::string& name : typed) {
    std::string full = FullPathIn(d.folder, WithDefaultExtension(name, d.ofn.lpstrDefExt));
    bool ask_overwrite = false;
    std::string refusal = Refusal(d, name, full, &ask_overwrite);
    if (!refusal.empty()) {
      MessageBoxA(d.ofn.hwndOwner, refusal.c_str(), d.title.c_str(), MB_OK | MB_ICONEXCLAMATION);
      return false;
    }
    if (ask_overwrite) {
      std::string question = full + " already exists.\nDo you want to replace it?";
      if (MessageBoxA(d.ofn.hwndOwner, question.c_str(), d.title.c_str(), MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return false;
    }
    paths->push_back(full);
  }
  return true;
}

BOOL RunFileDialog(LPOPENFILENAMEA ofn, bool save) {
  if (!ofn) return Refuse(CDERR_INITIALIZATION);
  if (!SizeOk(ofn->lStructSize, sizeof(OPENFILENAMEA), kSizeIn32Bits)) return Refuse(CDERR_STRUCTSIZE);
  if (!OwnerOk(ofn->hwndOwner)) return Refuse(CDERR_DIALOGFAILURE);
  if ((ofn->Flags & OFN_ENABLEHOOK) && !ofn->lpfnHook) return Refuse(CDERR_NOHOOK);
  if (!ofn->lpstrFile || ofn->nMaxFile == 0) return Refuse(CDERR_INITIALIZATION);

  const std::string start = BoundedText(ofn->lpstrFile, ofn->nMaxFile);
  // The starting name may be a pattern ("*.txt") that the file list shows.
  if (!start.empty() && !ValidFileName(start, true)) return Refuse(FNERR_INVALIDFILENAME);
  const std::vector<std::string> filters = ParseFilters(ofn->lpstrFilter);

  Dialog d{*ofn, save, ofn->lpstrTitle ? ofn->lpstrTitle : (save ? "Save As" : "Open"), {}};
  if (ofn->lpstrInitialDir && ofn->lpstrInitialDir[0] != '\0') d.folder = ofn->lpstrInitialDir;
  else if (NameOffset(start) > 0) d.folder = FolderOf(start);
  else d.folder = CurrentFolder();

  qvp::PromptRecord base;
  base.kind = save ? qvp::PromptKind::kSaveFile : qvp::PromptKind::kOpenFile;
  base.owner = ofn->hwndOwner;
  base.caption = d.title;
  base.text = start;
  base.flags = ofn->Flags;
  base.directory = d.folder;
  base.filters = filters;

  const bool multi = (ofn->Flags & OFN_ALLOWMULTISELECT) != 0;
  auto check = [&](qvp::PromptAnswer& a) {
    if (a.result == 0) return true;  // cancelled
    a.result = 1;
    if (a.filter_index < 0 || static_cast<size_t>(a.filter_index) > filters.size()) return false;
    if (a.files.size() > 1 && !multi) return false;
    if (a.files.empty() && a.text.empty()) return false;
    // Several files come from one folder.
    std::string folder;
    for (const std::string& f : a.files) {
      std::string full = FullPathIn(d.folder, f);
      if (full.empty()) return false;
      if (&f != &a.files.front() && FolderOf(full) != folder) return false;
      folder = FolderOf(full);
    }
    for (const std::string& f : a.files.empty() ? std::vector<std::string>{a.text} : a.files)
      if (!ValidFileName(f)) return false;
    return true;
  };

  ModalOwner modal(ofn->hwndOwner);
  std::vector<std::string> paths;
  for (int ask = 0; ask < kMaxAsks; ++ask) {
    qvp::PromptRecord record = base;
    qvp::PromptAnswer answer = qvp::ui::AskPrompt(record, qvp::PromptAnswer{}, check, [&] {
      return ShowFileDialog(*ofn, save, d.title, d.folder, filters);
    });
    if (answer.result == 0) break;
    if (!Accept(d, answer, &paths)) continue;
    if (DWORD error = WriteFileResult(*ofn, paths)) return Refuse(error);
    if (answer.filter_index > 0) ofn->nFilterIndex = static_cast<DWORD>(answer.filter_index);
    SetDialogError(0);
    return TRUE;
  }
  SetDialogError(0);  // cancelled
  return FALSE;
}

}  // namespace

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA lpofn) { return RunFileDialog(lpofn, false); }

BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA lpofn) { return RunFileDialog(lpofn, true); }
