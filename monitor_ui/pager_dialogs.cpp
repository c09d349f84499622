// The pager page's dialogs: advanced alpha-numeric and numeric settings, the
// web paging service request and the modem settings. Each edits the profile's
// CPagerAlert (the dialog's lParam) on OK.
#include <cstring>
#include <string>
#include <vector>

#include "monitor_ui.h"
#include "page_common.h"
#include "pager_alert.h"
#include "qv_ui.h"
#include "web_pager_text.h"

namespace {

constexpr char kCaption[] = "Invalid Profile Data";

CPagerAlert* PagerOf(HWND dialog) { return reinterpret_cast<CPagerAlert*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

CPagerAlert* KeepPager(HWND dialog, LPARAM lParam) {
  SetWindowLongPtrA(dialog, DWLP_USER, lParam);
  return reinterpret_cast<CPagerAlert*>(lParam);
}

bool IsSpin(LPARAM lParam, int id, const NMUPDOWN** change) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header == nullptr || header->code != UDN_DELTAPOS || header->idFrom != static_cast<UINT_PTR>(id)) return false;
  *change = reinterpret_cast<const NMUPDOWN*>(lParam);
  return true;
}

const char* Text(const char* value) { return value != nullptr ? value : ""; }

// ---- Web request rows ----
constexpr int kServiceField = 1033;
constexpr int kRequestField = 1025;
constexpr int kArgumentGroup = 1132;
constexpr int kRowLabels = 1180;
constexpr int kRowEdits[] = {1021, 1022, 1023, 1024, 1026, 1027};
constexpr int kShownRows = 6;

int ShownRows(HWND dialog) {
  int shown = 0;
  for (int i = 0; i < kShownRows; ++i) {
    if (IsWindowVisible(GetDlgItem(dialog, kRowEdits[i]))) shown = i + 1;
  }
  return shown;
}

void InitWebDialog(HWND dialog, CPagerAlert* pager) {
  const std::string url = Text(pager->GetWebPageUrl());
  const std::string service = WebServiceName(url);
  const std::string request = WebRequest(url);
  SetDlgItemTextA(dialog, kServiceField, service.c_str());
  SendDlgItemMessageA(dialog, kRequestField, EM_LIMITTEXT, 512, 0);
  SetDlgItemTextA(dialog, kRequestField, request.c_str());
  SendDlgItemMessageA(dialog, kRequestField, EM_SETREADONLY, service.compare(0, 6, "Custom") != 0, 0);
  const std::vector<WebArgument> arguments = WebArguments(request);
  int shown = 0;
  for (const WebArgument& argument : arguments) {
    if (shown == kShownRows) break;
    HWND label = GetDlgItem(dialog, kRowLabels + shown);
    HWND edit = GetDlgItem(dialog, kRowEdits[shown]);
    SetWindowTextA(label, argument.name.c_str());
    SetWindowTextA(edit, argument.value.c_str());
    SendMessageA(edit, EM_LIMITTEXT, 100, 0);
    for (HWND control : {label, edit}) {
      ShowWindow(control, SW_SHOW);
      EnableWindow(control, TRUE);
    }
    ++shown;
  }
  if (shown > 0) {
    // The group box ends 8 pixels below the last row; the dialog fits the group box.
    RECT group{}, edit{}, window{}, client{};
    HWND box = GetDlgItem(dialog, kArgumentGroup);
    GetWindowRect(box, &group);
    GetWindowRect(GetDlgItem(dialog, kRowEdits[shown - 1]), &edit);
    SetWindowPos(box, nullptr, 0, 0, group.right - group.left, edit.bottom + 8 - group.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    // The buttons move up with the bottom of the group box.
    const int lift = group.bottom - (edit.bottom + 8);
    for (int id : {IDOK, IDCANCEL, IDHELP}) {
      HWND button = GetDlgItem(dialog, id);
      RECT r{};
      GetWindowRect(button, &r);
      POINT p{r.left, r.top - lift};
      ScreenToClient(dialog, &p);
      SetWindowPos(button, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, window.bottom - window.top - lift,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  QVUI_CenterDialog(dialog);
}

bool OkWebDialog(HWND dialog, CPagerAlert* pager) {
  std::string request = ControlText(dialog, kRequestField, 512);
  const int shown = ShownRows(dialog);
  for (int i = 0; i < shown; ++i) {
    const std::string name = ControlText(dialog, kRowLabels + i, 100);
    const std::string value = ControlText(dialog, kRowEdits[i], 100);
    if (value.find('%') != std::string::npos) {
      SetFocus(GetDlgItem(dialog, kRowEdits[i]));
      MessageBoxA(dialog, "A value may not hold the character \"%\".", kCaption, MB_OK);
      return false;
    }
    ReplaceWebArgument(request, name, value);
  }
  const std::string url = ControlText(dialog, kServiceField, 512) + "/" + request;
  if (url.size() >= CPagerAlert::kWebPageUrlSize) {
    SetFocus(GetDlgItem(dialog, kRequestField));
    MessageBoxA(dialog, "The request is too long to be kept.", kCaption, MB_OK);
    return false;
  }
  pager->SetWebPageUrl(url.c_str());
  return true;
}

// ---- Modem lists ----
struct ListItem {
  const char* text;
  int value;
};
constexpr ListItem kPorts[] = {{"COM1", 0}, {"COM2", 0}, {"COM3", 0}, {"COM4", 0}};
constexpr ListItem kBaudRates[] = {{"300", 300}, {"1200", 1200}, {"2400", 2400}, {"9600", 9600}, {"19200", 19200}};
constexpr ListItem kDataBits[] = {{"7", 7}, {"8", 8}};
constexpr ListItem kStopBits[] = {{"1", 0}, {"2", 2}};
constexpr ListItem kParity[] = {{"None", 0}, {"Odd", 1}, {"Even", 2}};

template <size_t N>
void FillList(HWND dialog, int id, const ListItem (&items)[N], int stored) {
  HWND combo = GetDlgItem(dialog, id);
  for (const ListItem& item : items) {
    const LRESULT index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.text));
    SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), item.value);
    if (item.value == stored) SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
}

// The item data of the selection; a list left without a selection keeps the stored value.
int ListValue(HWND dialog, int id, int stored) {
  HWND combo = GetDlgItem(dialog, id);
  const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (index < 0) return stored;
  return static_cast<int>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void InitModemDialog(HWND dialog, CPagerAlert* pager) {
  BoldControls(dialog, {9070, 9071, 1063, 1064});
  HWND ports = GetDlgItem(dialog, 1009);
  const std::string port = Text(pager->GetPortName());
  for (const ListItem& item : kPorts) {
    const LRESULT index = SendMessageA(ports, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.text));
    if (!port.empty() && SendMessageA(ports, CB_GETCURSEL, 0, 0) < 0 &&
        std::strncmp(item.text, port.c_str(), port.size()) == 0) {
      SendMessageA(ports, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
  }
  FillList(dialog, 1020, kBaudRates, pager->GetBaudRate());
  FillList(dialog, 1022, kDataBits, pager->GetDataBits());
  FillList(dialog, 1023, kStopBits, pager->GetStopBits());
  FillList(dialog, 1024, kParity, pager->GetParity());
  const std::pair<int, const char*> texts[] = {{1013, pager->GetInitString()}, {1014, pager->GetDialString()},
                                               {1066, pager->GetPreDial()},    {1067, pager->GetPostDial()}};
  for (const auto& [id, text] : texts) {
    SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, 80, 0);
    SetDlgItemTextA(dialog, id, Text(text));
  }
  for (int id : {1033, 1155, 1034}) SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, 5, 0);
  SetControlNumber(dialog, 1033, pager->GetDialDelay());
  SetControlNumber(dialog, 1155, pager->GetConnectDelay());
  SetControlNumber(dialog, 1034, pager->GetPINDelay());
  QVUI_CenterDialog(dialog);
}

void OkModemDialog(HWND dialog, CPagerAlert* pager) {
  pager->SetInitString(ControlText(dialog, 1013, 80).c_str());
  pager->SetDialString(ControlText(dialog, 1014, 80).c_str());
  pager->SetDialDelay(static_cast<int>(ControlNumber(dialog, 1033)));
  pager->SetConnectDelay(static_cast<int>(ControlNumber(dialog, 1155)));
  pager->SetPINDelay(static_cast<int>(ControlNumber(dialog, 1034)));
  pager->SetBaudRate(ListValue(dialog, 1020, pager->GetBaudRate()));
  pager->SetDataBits(ListValue(dialog, 1022, pager->GetDataBits()));
  pager->SetStopBits(ListValue(dialog, 1023, pager->GetStopBits()));
  pager->SetParity(ListValue(dialog, 1024, pager->GetParity()));
  pager->SetPreDial(ControlText(dialog, 1066, 80).c_str());
  pager->SetPostDial(ControlText(dialog, 1067, 80).c_str());
  if (SendDlgItemMessageA(dialog, 1009, CB_GETCURSEL, 0, 0) >= 0) {
    pager->SetPortName(ControlText(dialog, 1009, 80).c_str());
  }
}

INT_PTR EndOnCancelOrHelp(HWND dialog, WPARAM wParam, ULONG_PTR help) {
  if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 0);
    return TRUE;
  }
  if (LOWORD(wParam) == IDHELP) {
    ShowHelp(dialog, help);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK AlphaPagerSettingsDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      CPagerAlert* pager = KeepPager(dialog, lParam);
      SendDlgItemMessageA(dialog, 1026, EM_LIMITTEXT, 80, 0);
      SendDlgItemMessageA(dialog, 1008, EM_LIMITTEXT, 80, 0);
      if (pager != nullptr) {
        SetControlNumber(dialog, 1026, pager->GetMaxMessageLength());
        SetDlgItemTextA(dialog, 1008, Text(pager->GetAlphaPassword()));
      }
      QVUI_CenterDialog(dialog);
      return TRUE;
    }
    case WM_NOTIFY: {
      const NMUPDOWN* change = nullptr;
      if (!IsSpin(lParam, 1135, &change)) return FALSE;
      StepNumber(dialog, 1026, change->iDelta, 20, 220);
      return Answer(dialog, 0);
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        if (CPagerAlert* pager = PagerOf(dialog)) {
          pager->SetAlphaPassword(ControlText(dialog, 1008, 80).c_str());
          pager->SetMaxMessageLength(static_cast<int>(ControlNumber(dialog, 1026)));
        }
        EndDialog(dialog, 1);
        return TRUE;
      }
      return EndOnCancelOrHelp(dialog, wParam, 9047);
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK NumericPagerSettingsDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      CPagerAlert* pager = KeepPager(dialog, lParam);
      SendDlgItemMessageA(dialog, 1021, EM_LIMITTEXT, 30, 0);
      SendDlgItemMessageA(dialog, 1022, EM_LIMITTEXT, 30, 0);
      if (pager != nullptr) {
        SetDlgItemTextA(dialog, 1021, Text(pager->GetDownID()));
        SetDlgItemTextA(dialog, 1022, Text(pager->GetActiveID()));
      }
      QVUI_CenterDialog(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        if (CPagerAlert* pager = PagerOf(dialog)) {
          pager->SetDownID(ControlText(dialog, 1021, 30).c_str());
          pager->SetActiveID(ControlText(dialog, 1022, 30).c_str());
        }
        EndDialog(dialog, 1);
        return TRUE;
      }
      return EndOnCancelOrHelp(dialog, wParam, 9061);
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK WebPagerSettingsDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      if (CPagerAlert* pager = KeepPager(dialog, lParam)) InitWebDialog(dialog, pager);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        CPagerAlert* pager = PagerOf(dialog);
        if (pager != nullptr && !OkWebDialog(dialog, pager)) return TRUE;
        EndDialog(dialog, 1);
        return TRUE;
      }
      return EndOnCancelOrHelp(dialog, wParam, 9062);
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK ModemSettingsDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      if (CPagerAlert* pager = KeepPager(dialog, lParam)) InitModemDialog(dialog, pager);
      return TRUE;
    case WM_NOTIFY: {
      const NMUPDOWN* change = nullptr;
      for (const auto& [spin, edit] : {std::pair<int, int>{1157, 1033}, {1156, 1155}, {1124, 1034}}) {
        if (IsSpin(lParam, spin, &change)) {
          StepNumber(dialog, edit, change->iDelta, 1, 120);
          return Answer(dialog, 0);
        }
      }
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        if (CPagerAlert* pager = PagerOf(dialog)) OkModemDialog(dialog, pager);
        EndDialog(dialog, 1);
        return TRUE;
      }
      return EndOnCancelOrHelp(dialog, wParam, 9046);
    case WM_DESTROY:
      ReleasePageDecor(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}
