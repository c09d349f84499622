// Message boxes, beeps and the one prompt interface behind every question the
// layer asks a user: message boxes, common dialogs and help requests share the
// same records. A help request (like a beep) is no question: it is recorded,
// and never counts as unexpected.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "qvplatform/types.h"
#include "qvplatform/errors.h"

// Button sets.
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_CANCELTRYCONTINUE 0x00000006L
// Icons.
#define MB_ICONHAND 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONASTERISK 0x00000040L
#define MB_USERICON 0x00000080L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONINFORMATION MB_ICONASTERISK
// Default button.
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_DEFBUTTON4 0x00000300L
// Modality.
#define MB_APPLMODAL 0x00000000L
#define MB_SYSTEMMODAL 0x00001000L
#define MB_TASKMODAL 0x00002000L
// Other options.
#define MB_HELP 0x00004000L
#define MB_NOFOCUS 0x00008000L
#define MB_SETFOREGROUND 0x00010000L
#define MB_DEFAULT_DESKTOP_ONLY 0x00020000L
#define MB_TOPMOST 0x00040000L
#define MB_RIGHT 0x00080000L
#define MB_RTLREADING 0x00100000L
#define MB_SERVICE_NOTIFICATION 0x00200000L
#define MB_SERVICE_NOTIFICATION_NT3X 0x00040000L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONMASK 0x000000F0L
#define MB_DEFMASK 0x00000F00L
#define MB_MODEMASK 0x00003000L
#define MB_MISCMASK 0x0000C000L

// Dialog and message box results.
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDCLOSE 8
#define IDHELP 9
#define IDTRYAGAIN 10
#define IDCONTINUE 11
#define IDTIMEOUT 32000

#ifndef ERROR_INVALID_MSGBOX_STYLE
#define ERROR_INVALID_MSGBOX_STYLE 1438L
#endif

QV_API int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
QV_API int WINAPI MessageBoxExA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType,
                                WORD wLanguageId);
QV_API BOOL WINAPI MessageBeep(UINT uType);

namespace qvp {

// What kind of question a prompt is.
enum class PromptKind {
  kMessageBox,
  kBeep,  // not a question: never unexpected, answered TRUE unless a script says otherwise
  kOpenFile,
  kSaveFile,
  kChooseColor,
  kChooseFont,
  kPrint,
  kHelp,  // WinHelpA: not a question either; recorded, answered TRUE unless a script says otherwise
  // The ODBC driver manager's data-source chooser (SQLDriverConnect with
  // SQL_DRIVER_PROMPT): the text lists the data sources, one "name - driver"
  // per line; an IDOK answer's text is the connection string to use
  // ("DSN=name;UID=user;PWD=password"), IDCANCEL chooses none.
  kDataSource,
};

const char* PromptKindName(PromptKind kind);

// One prompt as the layer saw it, and how it was answered.
struct PromptRecord {
  PromptKind kind = PromptKind::kMessageBox;
  HWND owner = nullptr;
  std::string caption;
  std::string text;
  UINT flags = 0;           // MB_* for message boxes, the beep type, OFN_* / CC_* ... for dialogs
  int answer = 0;           // the id answered (IDOK ...), TRUE/FALSE for common dialogs
  std::string answer_text;  // the file name, colour, ... a common dialog answered
  bool scripted = false;    // answered by a script entry
  std::string problem;      // why the prompt counts as unexpected (empty otherwise)
  // Common dialogs and help requests (qvplatform/ui_commdlg.h, qvplatform/ui_shell.h):
  std::string directory;             // open/save: the folder the dialog starts in
  std::vector<std::string> filters;  // open/save: "description|patterns" of each filter
  ULONG_PTR data = 0;                // help: the command's data (a context number, ...)
};

// A font a font dialog answers.
struct FontChoice {
  std::string face;
  int point_size_tenths = 0;  // 100 = 10 points
  int weight = 400;
  bool italic = false;
  bool underline = false;  // underline and strike-out need CF_EFFECTS
  bool strikeout = false;
};

// What a print dialog answers besides the printer.
struct PrintChoice {
  UINT range = 0;  // PD_ALLPAGES (0), PD_SELECTION or PD_PAGENUMS
  WORD from_page = 0;
  WORD to_page = 0;
  WORD copies = 1;
  bool collate = false;
  bool to_file = false;
};

// An answer a script gives.
struct PromptAnswer {
  int result = 0;
  std::string text;  // message boxes: unused; open/save: the file; print: the printer
  // Common dialogs (qvplatform/ui_commdlg.h says what each one reads):
  std::vector<std::string> files{};  // open with multiple selection: each file chosen
  int filter_index = 0;            // open/save: the filter in use (1-based); 0 keeps the caller's
  DWORD color = 0;                 // colour: the colour chosen; font: the text colour
  FontChoice font{};
  PrintChoice print{};
};

// One prompt a script expects. An unset caption or text matches anything;
// `text_contains` matches any prompt whose text contains it.
struct ExpectedPrompt {
  PromptKind kind = PromptKind::kMessageBox;
  std::optional<std::string> caption;
  std::optional<std::string> text_contains;
  PromptAnswer answer;
  // When set, computes the answer instead (called on the prompting thread, no lock held;
  // it may drive other windows, open further prompts, ...).
  std::function<PromptAnswer(const PromptRecord&)> respond;
};

// A scripted answerer for tests. While one is alive, every prompt is matched
// against its pending expectations (the earliest matching one answers it) and
// recorded; a prompt that matches none, or an answer the prompt cannot give
// (IDYES to an MB_OK box), is recorded as unexpected and gets the default
// answer. Scripts nest: the newest one answers. Thread-safe.
class PromptScript {
 public:
  PromptScript();
  ~PromptScript();
  PromptScript(const PromptScript&) = delete;
  PromptScript& operator=(const PromptScript&) = delete;

  PromptScript& Expect(ExpectedPrompt expected);
  // A message box whose text contains `text_contains`, answered with `answer`.
  PromptScript& ExpectMessageBox(std::string text_contains, int answer);

  // Every prompt seen while this script was the active one, in order.
  std::vector<PromptRecord> Records() const;
  // Expectations not met yet.
  size_t Pending() const;

  struct State;

 private:
  State* state_;
};

// The prompts recorded as unexpected since the last call (cleared by the call).
std::vector<PromptRecord> TakeUnexpectedPrompts();

}  // namespace qvp
