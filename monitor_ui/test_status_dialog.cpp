// "Test Alert Status": the progress of a test alert, one tree branch per
// channel under test. The dialog hands the test to the queues itself once it
// is the plug-in's test status window, so that no status line is lost.
#include "alert_config.h"
#include "alert_plugin.h"
#include "alert_runtime.h"
#include "alert_status.h"
#include "monitor_ui.h"
#include "page_common.h"
#include "plugin_globals.h"
#include "qv_ui.h"
#include "status_message.h"

namespace {

constexpr int kTree = 1169;
constexpr UINT kSendMailProgress = 2123;
constexpr UINT kReshow = 5030;
// How long Close waits for the channels to report done after it asked them to stop.
constexpr DWORD kCloseWaitMs = 30000;

struct Branch {
  AlertChannel channel;
  const char* title;
  int image;
  int doneImage;
};
constexpr Branch kBranches[] = {
    {AlertChannel::Audio, "Audio Alert", 1, 4},
    {AlertChannel::Email, "E-Mail Alert", 2, 5},
    {AlertChannel::Pager, "Pager Alert", 3, 6},
};

struct DialogState {
  HIMAGELIST images = nullptr;
  HTREEITEM roots[3] = {};
};
DialogState g_state;

int BranchIndex(AlertChannel channel) {
  for (int i = 0; i < 3; ++i) {
    if (kBranches[i].channel == channel) return i;
  }
  return 0;
}

HTREEITEM AddItem(HWND dialog, HTREEITEM parent, const char* text, int image) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  insert.item.pszText = const_cast<char*>(text);
  insert.item.iImage = insert.item.iSelectedImage = image;
  return reinterpret_cast<HTREEITEM>(
      SendDlgItemMessageA(dialog, kTree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void AddLine(HWND dialog, AlertChannel channel, const char* text) {
  HTREEITEM root = g_state.roots[BranchIndex(channel)];
  if (root == nullptr || text == nullptr) return;
  AddItem(dialog, root, text, 0);
  SendDlgItemMessageA(dialog, kTree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
}

void SetRootImage(HWND dialog, int branch, int image) {
  if (g_state.roots[branch] == nullptr) return;
  TVITEMA item{};
  item.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  item.hItem = g_state.roots[branch];
  item.iImage = item.iSelectedImage = image;
  SendDlgItemMessageA(dialog, kTree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void Register(HWND window) {
  if (CAlertPlugin* plugin = ThePlugin()) {
    plugin->SetTestStatusWindow(window);
  } else {
    SetAlertTestStatusWindow(window);
  }
}

void OnInit(HWND dialog, LPARAM lParam) {
  g_state = DialogState{};
  g_state.images = ImageList_LoadImageA(PluginInstance(), MAKEINTRESOURCEA(16005), 16, 0, RGB(255, 0, 255),
                                        IMAGE_BITMAP, 0);
  if (g_state.images != nullptr) {
    SendDlgItemMessageA(dialog, kTree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(g_state.images));
  }
  Register(dialog);
  // The test goes to the queues only now: every line it reports finds this window.
  if (const auto* test = reinterpret_cast<const CAlertConfig*>(lParam)) test->Send(true);
  for (int i = 0; i < 3; ++i) {
    if (IsAlertTestRunning(kBranches[i].channel)) {
      g_state.roots[i] = AddItem(dialog, TVI_ROOT, kBranches[i].title, kBranches[i].image);
    }
  }
  QVUI_CenterDialog(dialog);
  ShowWindow(dialog, SW_SHOW);
}

bool AnyUnderTest() {
  for (const Branch& branch : kBranches) {
    if (IsAlertTestRunning(branch.channel)) return true;
  }
  return false;
}

// Asks the senders to stop and serves their last lines until every channel has
// reported done, or the bound is reached (a channel whose sender is not
// running then counts as done).
void OnClose(HWND dialog) {
  SetAlertTestCancelled(true);
  {
    CWaitCursor wait;
    SetCapture(dialog);
    const ULONGLONG deadline = GetTickCount64() + kCloseWaitMs;
    while (AnyUnderTest()) {
      MSG message;
      while (PeekMessageA(&message, dialog, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
      if (!AnyUnderTest()) break;
      const ULONGLONG now = GetTickCount64();
      if (now >= deadline) break;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_SENDMESSAGE | QS_POSTMESSAGE);
    }
    for (const Branch& branch : kBranches) SetAlertTestRunning(branch.channel, false);
    ReleaseCapture();
  }
  EndDialog(dialog, 1);
}

AlertChannel ChannelOfMessage(UINT message) {
  if (message == kStatusMessageEmail) return AlertChannel::Email;
  if (message == kStatusMessageAudio) return AlertChannel::Audio;
  return AlertChannel::Pager;
}

}  // namespace

INT_PTR CALLBACK TestAlertStatusDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit(dialog, lParam);
      return TRUE;
    case kStatusMessageEmail:
    case kStatusMessageAudio:
    case kStatusMessagePager: {
      const auto* record = reinterpret_cast<const CStatusMessage*>(lParam);
      if (record != nullptr) AddLine(dialog, ChannelOfMessage(message), record->text);
      return TRUE;
    }
    case kSendMailProgress:
      if (wParam == 0) AddLine(dialog, AlertChannel::Email, reinterpret_cast<const char*>(lParam));
      return TRUE;
    case kTestStatusEnd: {
      const AlertChannel channel = lParam == kTestChannelEmail   ? AlertChannel::Email
                                   : lParam == kTestChannelAudio ? AlertChannel::Audio
                                                                 : AlertChannel::Pager;
      SetAlertTestRunning(channel, false);
      const int branch = BranchIndex(channel);
      SetRootImage(dialog, branch, kBranches[branch].doneImage);
      return TRUE;
    }
    case kReshow:
      QVUI_CenterDialog(dialog);
      SendDlgItemMessageA(dialog, kTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
      for (HTREEITEM& root : g_state.roots) root = nullptr;
      ShowWindow(dialog, SW_SHOW);
      SetFocus(dialog);
      return TRUE;
    case kStatusMessageAlertSet:
    case 5031:
    case kTestStatusBegin:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        OnClose(dialog);
        return TRUE;
      }
      if (LOWORD(wParam) == IDHELP) {
        ShowHelp(dialog, 9066);
        return TRUE;
      }
      return FALSE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        OnClose(dialog);
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      // The senders stop reporting here before the window goes.
      Register(nullptr);
      if (g_state.images != nullptr) ImageList_Destroy(g_state.images);
      g_state = DialogState{};
      return FALSE;
    default:
      return FALSE;
  }
}
