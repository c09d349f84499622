// The pager alert's settings and the choice of its sender.
#include "pager_alert.h"

#include "alert_senders.h"
#include "pager_senders.h"
#include "plugin_helpers.h"
#include "status_message.h"

namespace {

const char* const kTextKeys[] = {"ProfileName", "Number",        "PreDial",     "PostDial",    "PagerID",
                                 "ActiveID",    "DownID",        "AlphaPassword", "WebPassword", "Username",
                                 "PIN",         "PortName",      "InitString",  "DialString",  "Description",
                                 "Message",     nullptr};
const char* const kIntKeys[] = {"Mode",     "DeliveryMode", "TestMode", "Priority", "DialDelay", "PINDelay",
                                "BaudRate", "DataBits",     "StopBits", "Parity",   nullptr};

void DefaultWhenEmpty(OwnedText& text, const char* fallback) {
  if (text.IsEmpty()) text = fallback;
}

}  // namespace

CPagerAlert::CPagerAlert(const char* path) {
  if (path != nullptr && *path != '\0') Read(path);
  ApplyDefaults();
}

CPagerAlert::CPagerAlert(const CPagerAlert& other)
    : m_portName(other.m_portName),
      m_baudRate(other.m_baudRate),
      m_dataBits(other.m_dataBits),
      m_stopBits(other.m_stopBits),
      m_parity(other.m_parity),
      m_mode(other.m_mode),
      m_deliveryMode(other.m_deliveryMode),
      m_preDial(other.m_preDial),
      m_postDial(other.m_postDial),
      m_number(other.m_number),
      m_tapPassword(other.m_tapPassword),
      m_alphaPassword(other.m_alphaPassword),
      m_webPassword(other.m_webPassword),
      m_description(other.m_description),
      m_priority(other.m_priority),
      m_username(other.m_username),
      m_message(other.m_message),
      m_pagerId(other.m_pagerId),
      m_pin(other.m_pin),
      m_initString(other.m_initString),
      m_dialString(other.m_dialString),
      m_dialDelay(other.m_dialDelay),
      m_connectDelay(other.m_connectDelay),
      m_pinDelay(other.m_pinDelay),
      m_activeId(other.m_activeId),
      m_downId(other.m_downId),
      m_testMode(other.m_testMode),
      m_maxMessageLength(other.m_maxMessageLength),
      m_profileName(other.m_profileName) {
  CopyText(m_webPageUrl, other.m_webPageUrl);
  CopyText(m_webPagerId, other.m_webPagerId);
}

void CPagerAlert::ApplyDefaults() {
  DefaultWhenEmpty(m_portName, "COM1");
  DefaultWhenEmpty(m_initString, "ATZ");
  DefaultWhenEmpty(m_dialString, "ATDT");
  DefaultWhenEmpty(m_activeId, "9999");
  DefaultWhenEmpty(m_downId, "0000");
}

void CPagerAlert::SetWebPageUrl(const char* text) { CopyText(m_webPageUrl, text); }

void CPagerAlert::SetWebPagerId(const char* text) { CopyText(m_webPagerId, text); }

bool CPagerAlert::TakePath(const char* path) {
  if (path != nullptr && *path != '\0') m_ownPath = path;
  return !m_ownPath.IsEmpty();
}

void CPagerAlert::ReadTexts(const char* file, bool withNumber) {
  m_profileName = ReadAlertText(kSection, "ProfileName", file);
  if (withNumber) m_number = ReadAlertText(kSection, "Number", file);
  m_preDial = ReadAlertText(kSection, "PreDial", file);
  m_postDial = ReadAlertText(kSection, "PostDial", file);
  m_pagerId = ReadAlertText(kSection, "PagerID", file);
  m_activeId = ReadAlertText(kSection, "ActiveID", file);
  m_downId = ReadAlertText(kSection, "DownID", file);
  m_alphaPassword = ReadAlertText(kSection, "AlphaPassword", file);
  m_webPassword = ReadAlertText(kSection, "WebPassword", file);
  m_username = ReadAlertText(kSection, "Username", file);
  m_pin = ReadAlertText(kSection, "PIN", file);
  m_portName = ReadAlertText(kSection, "PortName", file);
  m_initString = ReadAlertText(kSection, "InitString", file);
  m_dialString = ReadAlertText(kSection, "DialString", file);
  m_description = ReadAlertText(kSection, "Description", file);
  m_message = ReadAlertText(kSection, "Message", file);
  ReadAlertArray(kSection, "WebPageUrl", m_webPageUrl, sizeof m_webPageUrl, file);
  ReadAlertArray(kSection, "WebPagerId", m_webPagerId, sizeof m_webPagerId, file);
}

bool CPagerAlert::Read(const char* path) {
  if (!TakePath(path)) return false;
  const char* file = m_ownPath.Get();
  ReadTexts(file, true);
  m_testMode = ReadAlertInt(kSection, "TestMode", 0, file) == 1;
  m_mode = ReadAlertInt(kSection, "Mode", 0, file);
  m_deliveryMode = ReadAlertInt(kSection, "DeliveryMode", 0, file);
  m_priority = ReadAlertInt(kSection, "Priority", 1, file);
  m_dialDelay = ReadAlertInt(kSection, "DialDelay", 40, file);
  m_pinDelay = ReadAlertInt(kSection, "PINDelay", 8, file);
  m_connectDelay = ReadAlertInt(kSection, "ConnectDelay", 15, file);
  m_baudRate = ReadAlertInt(kSection, "BaudRate", 16, file);
  m_dataBits = ReadAlertInt(kSection, "DataBits", 7, file);
  m_stopBits = ReadAlertInt(kSection, "StopBits", 2, file);
  m_parity = ReadAlertInt(kSection, "Parity", 1024, file);
  return true;
}

bool CPagerAlert::ReadLegacy(const char* path) {
  if (!TakePath(path)) return false;
  const char* file = m_ownPath.Get();
  ReadTexts(file, false);
  m_testMode = ReadAlertInt(kSection, "TestMode", 0, file) == 1;
  const int oldMode = ReadAlertInt(kSection, "Mode", 0, file);
  m_priority = ReadAlertInt(kSection, "Priority", 1, file);
  m_dialDelay = ReadAlertInt(kSection, "DialDelay", 40, file);
  m_pinDelay = ReadAlertInt(kSection, "PINDelay", 8, file);
  m_baudRate = ReadAlertInt(kSection, "BaudRate", 16, file);
  m_dataBits = ReadAlertInt(kSection, "DataBits", 7, file);
  m_stopBits = ReadAlertInt(kSection, "StopBits", 2, file);
  m_parity = ReadAlertInt(kSection, "Parity", 1024, file);
  switch (oldMode) {
    case 0:
      m_mode = 0;
      m_deliveryMode = 1;
      m_number = ReadAlertText(kSection, "AlphaNumber", file);
      break;
    case 1:
      m_mode = 1;
      m_deliveryMode = 1;
      m_number = ReadAlertText(kSection, "NumNumber", file);
      break;
    case 2:
      m_mode = 0;
      m_deliveryMode = 0;
      m_number = nullptr;
      m_pagerId = m_webPagerId;
      break;
    default:
      // Not a mode the older format had: kept as read, so the page is never
      // sent by a guess.
      m_mode = oldMode;
      break;
  }
  ApplyDefaults();
  return true;
}

bool CPagerAlert::Write(const char* path) {
  if (!TakePath(path)) return false;
  const char* file = m_ownPath.Get();
  const struct {
    const char* key;
    const OwnedText& value;
  } texts[] = {{"PreDial", m_preDial},         {"PostDial", m_postDial},       {"InitString", m_initString},
               {"DialString", m_dialString},   {"Number", m_number},           {"PagerID", m_pagerId},
               {"ActiveID", m_activeId},       {"DownID", m_downId},           {"AlphaPassword", m_alphaPassword},
               {"WebPassword", m_webPassword}, {"UserName", m_username},       {"PIN", m_pin},
               {"PortName", m_portName},       {"Description", m_description}, {"Message", m_message},
               {"ProfileName", m_profileName}};
  bool ok = true;
  for (const auto& text : texts) ok = WriteAlertText(kSection, text.key, text.value.Get(), file) && ok;
  ok = WritePrivateProfileStringA(kSection, "WebPageUrl", m_webPageUrl, file) != FALSE && ok;
  ok = WritePrivateProfileStringA(kSection, "WebPagerId", m_webPagerId, file) != FALSE && ok;
  const struct {
    const char* key;
    int value;
  } numbers[] = {{"TestMode", m_testMode ? 1 : 0},
                 {"Mode", m_mode},
                 {"DeliveryMode ", m_deliveryMode},
                 {"BaudRate", m_baudRate},
                 {"DataBits", m_dataBits},
                 {"DialDelay", m_dialDelay},
                 {"StopBits", m_stopBits},
                 {"Parity", m_parity},
                 {"Priority", m_priority},
                 {"PINDelay", m_pinDelay},
                 {"ConnectDelay", m_connectDelay}};
  for (const auto& number : numbers) ok = WriteAlertInt(kSection, number.key, number.value, file) && ok;
  return ok;
}

bool CPagerAlert::IsValidFile(const char* path) { return AlertSectionComplete(kSection, kTextKeys, kIntKeys, path); }

void CPagerAlert::DeleteFile() const {
  if (!m_ownPath.IsEmpty()) DeleteFileA(m_ownPath.Get());
}

SendResult CPagerAlert::Deliver(const std::atomic<bool>* running) {
  m_running = running;
  AlertStatus status(kStatusMessagePager, m_profileName.Get(), m_testMode);
  status.Notify(kTestStatusBegin, kTestChannelPager);
  status.Tell("Generating Pager alert...");
  const SendResult result = CurrentAlertSenders().sendPage(*this, status);
  status.Notify(kTestStatusEnd, kTestChannelPager);
  status.Tell("Pager alert done.");
  m_running = nullptr;
  return result;
}

SendResult SendPageBySettings(CPagerAlert& alert, AlertStatus& status) {
  if (alert.IsModemDelivery() && alert.IsAlphaMode()) return SendAlphaPage(alert, status);
  if (alert.IsModemDelivery() && alert.IsNumericMode()) return SendNumericPage(alert, status);
  if (alert.IsWebDelivery()) return SendWebPage(alert, status);
  // No sender fits these modes: the page can never go out as it stands.
  status.Report("Pager alert has no valid delivery mode");
  return SendResult::Refused;
}
