// WinHelpA: every help request is recorded as a prompt of kind help; nothing is shown.
#include <cstdio>
#include <string>

#include "ui/prompt.h"
#include "ui/shell/commdlg_common.h"

namespace {

const char* CommandName(UINT command) {
  switch (command) {
    case HELP_CONTEXT: return "HELP_CONTEXT";
    case HELP_QUIT: return "HELP_QUIT";
    case HELP_CONTENTS: return "HELP_CONTENTS";
    case HELP_HELPONHELP: return "HELP_HELPONHELP";
    case HELP_SETCONTENTS: return "HELP_SETCONTENTS";
    case HELP_CONTEXTPOPUP: return "HELP_CONTEXTPOPUP";
    case HELP_FORCEFILE: return "HELP_FORCEFILE";
    case HELP_CONTEXTMENU: return "HELP_CONTEXTMENU";
    case HELP_FINDER: return "HELP_FINDER";
    case HELP_WM_HELP: return "HELP_WM_HELP";
    case HELP_SETPOPUP_POS: return "HELP_SETPOPUP_POS";
    case HELP_KEY: return "HELP_KEY";
    case HELP_COMMAND: return "HELP_COMMAND";
    case HELP_PARTIALKEY: return "HELP_PARTIALKEY";
    case HELP_MULTIKEY: return "HELP_MULTIKEY";
    case HELP_SETWINPOS: return "HELP_SETWINPOS";
    default: return nullptr;
  }
}

// The data as text: the keyword or macro of the commands that pass one, else the number.
std::string DataText(UINT command, ULONG_PTR data) {
  if ((command == HELP_KEY || command == HELP_PARTIALKEY || command == HELP_COMMAND) && data != 0)
    return qvp::ui::commdlg::BoundedText(reinterpret_cast<const char*>(data), 1024);
  return std::to_string(data);
}

}  // namespace

BOOL WINAPI WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData) {
  qvp::PromptRecord record;
  record.kind = qvp::PromptKind::kHelp;
  record.owner = hWndMain;
  record.caption = qvp::ui::commdlg::BoundedText(lpszHelp, MAX_PATH * 4);
  const char* name = CommandName(uCommand);
  char number[32];
  if (!name) {
    std::snprintf(number, sizeof number, "HELP_0x%X", uCommand);
    name = number;
  }
  record.text = std::string(name) + " " + DataText(uCommand, dwData);
  record.flags = uCommand;
  record.data = dwData;
  qvp::PromptAnswer fallback;
  fallback.result = TRUE;
  qvp::PromptAnswer answer = qvp::ui::AskPrompt(record, fallback, [](qvp::PromptAnswer&) { return true; });
  return answer.result != 0 ? TRUE : FALSE;
}
