// The protocol pages of the server kinds (host and port), of DNS (host only,
// port 53), Ping (host only) and URL (the whole address as the host).
#include <string>

#include "monitor_ui.h"
#include "protocol_common.h"

namespace {

using namespace page_ids;

struct ServerPage {
  int kind;
  int defaultPort;  // 0: the page has no port field
  ULONG_PTR help;
  const char* emptyHost;
};

constexpr char kHostNeeded[] = "You must enter a host name.";
constexpr char kBadPort[] = "You must enter a port number between 1 and 65535.";

constexpr ServerPage kFinger{MONITOR_FINGER, 79, 9007, kHostNeeded};
constexpr ServerPage kFtp{MONITOR_FTP, 21, 9009, kHostNeeded};
constexpr ServerPage kGopher{MONITOR_GOPHER, 70, 9011, kHostNeeded};
constexpr ServerPage kHttp{MONITOR_HTTP, 80, 9013, kHostNeeded};
constexpr ServerPage kIrc{MONITOR_IRCHAT, 6667, 9015, kHostNeeded};
constexpr ServerPage kNntp{MONITOR_NNTP, 119, 9017, kHostNeeded};
constexpr ServerPage kPop3{MONITOR_POP3, 110, 9023, kHostNeeded};
constexpr ServerPage kRwhois{MONITOR_RWHOIS, 4321, 9025, kHostNeeded};
constexpr ServerPage kSmtp{MONITOR_SMTP, 25, 9027, kHostNeeded};
constexpr ServerPage kTelnet{MONITOR_TELNET, 23, 9029, kHostNeeded};
constexpr ServerPage kWhois{MONITOR_WHOIS, 43, 9031, kHostNeeded};
constexpr ServerPage kHttps{MONITOR_HTTPS, 443, 9013, kHostNeeded};
constexpr ServerPage kPing{MONITOR_PING, 0, 9021, "You must enter a host name or IP address."};
constexpr ServerPage kUrl{MONITOR_URL, 0, 9013, "You must enter a valid Web Page URL."};
constexpr ServerPage kDns{MONITOR_DNS, 0, 9005, kHostNeeded};
constexpr int kDnsPort = 53;

const ServerPage* g_pages[MONITOR_TYPE_LAST + 1] = {};

void ShowDefaultPort(HWND page, CMonitorProfile* profile, int defaultPort) {
  CMonitorSettings* settings = profile->GetSettings();
  if (settings->GetPortID() == 0) settings->SetPortID(defaultPort);
  SetControlNumber(page, kPort, settings->GetPortID());
}

void ActivateServerPage(HWND page, CMonitorProfile* profile) {
  const ServerPage* setup = g_pages[profile->GetSettings()->GetMonitorType()];
  if (setup != nullptr && setup->defaultPort != 0 && GetDlgItem(page, kPort) != nullptr) {
    ShowDefaultPort(page, profile, setup->defaultPort);
  }
}

// The typed port: empty is the page's default; 0 and numbers above 65535 are refused.
bool StorePort(HWND page, CMonitorProfile* profile, const ServerPage& setup, int failIndex) {
  const std::string text = ControlText(page, kPort, 16);
  long port = setup.defaultPort;
  if (!text.empty()) {
    port = ControlNumber(page, kPort);
    if (port < 1 || port > 65535) {
      Refuse(page, failIndex, kPort, kBadPort, "Invalid Profile Data");
      return false;
    }
  }
  profile->GetSettings()->SetPortID(static_cast<int>(port));
  return true;
}

bool StoreServerPage(HWND page, CMonitorProfile* profile, const ServerPage& setup, int failIndex) {
  const std::string host = ControlText(page, kHost, 80);
  if (host.empty() && !profile->IsTypeChanged()) {
    Refuse(page, failIndex, kHost, setup.emptyHost, "Invalid Profile Data");
    return false;
  }
  profile->GetSettings()->SetHostName(host.c_str());
  if (setup.defaultPort != 0) {
    if (!StorePort(page, profile, setup, failIndex)) return false;
  } else {
    profile->GetSettings()->SetPortID(0);
  }
  return StoreTiming(page, profile, failIndex);
}

// DNS: Next stores the timing options first and checks the host after them;
// its apply waives the timing checks too after a kind change.
bool StoreDnsPage(HWND page, CMonitorProfile* profile, int failIndex) {
  const bool applying = failIndex == kEditProtocolPage && IsEditSheet(profile);
  const std::string host = ControlText(page, kHost, 80);
  if (!applying) {
    CMonitorSettings* settings = profile->GetSettings();
    settings->SetPollTimeUnit(SelectedUnit(page, kPollUnit));
    settings->SetFailTimeUnit(SelectedUnit(page, kFailUnit));
    settings->SetUpAlarm(IsChecked(page, kUpAlarm));
    if (host.empty() && !profile->IsTypeChanged()) {
      Refuse(page, failIndex, kHost, kHostNeeded, "Invalid Profile Data");
      return false;
    }
    settings->SetHostName(host.c_str());
    settings->SetPortID(kDnsPort);
    return StoreTiming(page, profile, failIndex);
  }
  if (host.empty() && !profile->IsTypeChanged()) {
    Refuse(page, failIndex, kHost, PluginString(41).c_str());
    return false;
  }
  profile->GetSettings()->SetHostName(host.c_str());
  profile->GetSettings()->SetPortID(kDnsPort);
  return StoreTiming(page, profile, failIndex, profile->IsTypeChanged());
}

template <const ServerPage& Setup>
bool StoreSetup(HWND page, CMonitorProfile* profile, int failIndex) {
  return StoreServerPage(page, profile, Setup, failIndex);
}

INT_PTR ServerPageProc(const ServerPage& setup, StorePage store, HWND page, UINT message, LPARAM lParam) {
  if (message == kFocusFirstField) return FocusFirstFieldNow(page);
  switch (message) {
    case WM_INITDIALOG: {
      g_pages[setup.kind] = &setup;
      CMonitorProfile* profile = InitProtocolPage(page, setup.kind, lParam);
      if (profile == nullptr) return TRUE;
      CMonitorSettings* settings = profile->GetSettings();
      if (settings->GetHostName()[0] != '\0') SetDlgItemTextA(page, kHost, settings->GetHostName());
      if (setup.kind == MONITOR_DNS && settings->GetPortID() == 0) settings->SetPortID(kDnsPort);
      if (setup.kind == MONITOR_URL) settings->SetPortID(0);
      if (setup.defaultPort != 0) ShowDefaultPort(page, profile, setup.defaultPort);
      return TRUE;
    }
    case WM_NOTIFY:
      return ProtocolNotify(page, setup.kind, setup.help, lParam, store, ActivateServerPage);
    case WM_DESTROY:
      ReleasePageDecor(page);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

#define QV_SERVER_PAGE(Name, Setup)                                                            \
  INT_PTR CALLBACK Name(HWND page, UINT message, WPARAM /*wParam*/, LPARAM lParam) {           \
    return ServerPageProc(Setup, StoreSetup<Setup>, page, message, lParam);                    \
  }

QV_SERVER_PAGE(FingerMonitorDlg, kFinger)
QV_SERVER_PAGE(FtpMonitorDlg, kFtp)
QV_SERVER_PAGE(GopherMonitorDlg, kGopher)
QV_SERVER_PAGE(HttpMonitorDlg, kHttp)
QV_SERVER_PAGE(IrcMonitorDlg, kIrc)
QV_SERVER_PAGE(NntpMonitorDlg, kNntp)
QV_SERVER_PAGE(Pop3MonitorDlg, kPop3)
QV_SERVER_PAGE(RwhoisMonitorDlg, kRwhois)
QV_SERVER_PAGE(SmtpMonitorDlg, kSmtp)
QV_SERVER_PAGE(TelnetMonitorDlg, kTelnet)
QV_SERVER_PAGE(WhoisMonitorDlg, kWhois)
QV_SERVER_PAGE(HttpsMonitorDlg, kHttps)
QV_SERVER_PAGE(PingMonitorDlg, kPing)
QV_SERVER_PAGE(UrlMonitorDlg, kUrl)

INT_PTR CALLBACK DnsMonitorDlg(HWND page, UINT message, WPARAM /*wParam*/, LPARAM lParam) {
  return ServerPageProc(kDns, StoreDnsPage, page, message, lParam);
}
