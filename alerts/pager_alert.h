// The pager alert: how a page is delivered (by modem as an alphanumeric or a
// numeric page, or through a web paging form), the modem and line settings,
// the numbers and ids, and the message. It is both a profile's [Pager]
// settings (also the content of ".pap" spool files) and the sender the pager
// queue calls.
#pragma once

#include <atomic>

#include "alert_status.h"
#include "alert_text.h"

class CPagerAlert {
 public:
  static constexpr const char* kSection = "Pager";
  static constexpr int kWebPageUrlSize = 512;
  static constexpr int kWebPagerIdSize = 100;

  // With a path, the settings are read from it. Either way an absent or empty
  // PortName, InitString, DialString, ActiveID or DownID takes its default
  // ("COM1", "ATZ", "ATDT", "9999", "0000").
  explicit CPagerAlert(const char* path = nullptr);
  // Every setting (TapPassword and the two arrays included); not the own file path.
  CPagerAlert(const CPagerAlert& other);
  CPagerAlert& operator=(const CPagerAlert&) = delete;
  ~CPagerAlert() = default;

  // Reads [Pager] (null or empty path: the own file); the file becomes the own
  // file. False only when no path is known.
  bool Read(const char* path = nullptr);
  // The older format, whose Mode 0, 1, 2 meant alphanumeric by modem, numeric
  // by modem and web, with the number under AlphaNumber or NumNumber.
  bool ReadLegacy(const char* path = nullptr);
  // Writes [Pager] in key order; the file becomes the own file.
  bool Write(const char* path = nullptr);
  static bool IsValidFile(const char* path);
  void DeleteFile() const;

  // Sends the page by the sender its modes pick. `running` (when given) is the
  // delivery thread's flag: a cleared flag ends the page, which stays spooled.
  SendResult Deliver(const std::atomic<bool>* running = nullptr);
  // The delivery thread's flag of the send in progress (null outside Deliver).
  const std::atomic<bool>* GetRunningFlag() const { return m_running; }
  bool Send() { return Deliver() == SendResult::Sent; }

  bool IsAlphaMode() const { return m_mode == 0; }
  bool IsNumericMode() const { return m_mode == 1; }
  bool IsWebDelivery() const { return m_deliveryMode == 0; }
  bool IsModemDelivery() const { return m_deliveryMode == 1; }
  void SetAlphaMode() { m_mode = 0; }
  void SetNumericMode() { m_mode = 1; }
  void SetWebDelivery() { m_deliveryMode = 0; }
  void SetModemDelivery() { m_deliveryMode = 1; }
  int GetMode() const { return m_mode; }
  void SetMode(int mode) { m_mode = mode; }
  int GetDeliveryMode() const { return m_deliveryMode; }
  void SetDeliveryMode(int mode) { m_deliveryMode = mode; }

  const char* GetPortName() const { return m_portName.Get(); }
  void SetPortName(const char* text) { m_portName = text; }
  const char* GetNumber() const { return m_number.Get(); }
  void SetNumber(const char* text) { m_number = text; }
  const char* GetMessage() const { return m_message.Get(); }
  void SetMessage(const char* text) { m_message = text; }
  const char* GetAlphaPassword() const { return m_alphaPassword.Get(); }
  void SetAlphaPassword(const char* text) { m_alphaPassword = text; }
  const char* GetWebPassword() const { return m_webPassword.Get(); }
  void SetWebPassword(const char* text) { m_webPassword = text; }
  const char* GetTapPassword() const { return m_tapPassword.Get(); }
  void SetTapPassword(const char* text) { m_tapPassword = text; }
  const char* GetPagerID() const { return m_pagerId.Get(); }
  void SetPagerID(const char* text) { m_pagerId = text; }
  const char* GetActiveID() const { return m_activeId.Get(); }
  void SetActiveID(const char* text) { m_activeId = text; }
  const char* GetDownID() const { return m_downId.Get(); }
  void SetDownID(const char* text) { m_downId = text; }
  const char* GetPIN() const { return m_pin.Get(); }
  void SetPIN(const char* text) { m_pin = text; }
  const char* GetPostDial() const { return m_postDial.Get(); }
  void SetPostDial(const char* text) { m_postDial = text; }
  const char* GetPreDial() const { return m_preDial.Get(); }
  void SetPreDial(const char* text) { m_preDial = text; }
  const char* GetDialString() const { return m_dialString.Get(); }
  void SetDialString(const char* text) { m_dialString = text; }
  const char* GetInitString() const { return m_initString.Get(); }
  void SetInitString(const char* text) { m_initString = text; }
  const char* GetDescription() const { return m_description.Get(); }
  void SetDescription(const char* text) { m_description = text; }
  const char* GetUsername() const { return m_username.Get(); }
  void SetUsername(const char* text) { m_username = text; }
  const char* GetProfileName() const { return m_profileName.Get(); }
  void SetProfileName(const char* text) { m_profileName = text; }
  const char* GetWebPageUrl() const { return m_webPageUrl; }
  void SetWebPageUrl(const char* text);
  const char* GetWebPagerId() const { return m_webPagerId; }
  void SetWebPagerId(const char* text);

  int GetDialDelay() const { return m_dialDelay; }
  void SetDialDelay(int value) { m_dialDelay = value; }
  int GetConnectDelay() const { return m_connectDelay; }
  void SetConnectDelay(int value) { m_connectDelay = value; }
  int GetPINDelay() const { return m_pinDelay; }
  void SetPINDelay(int value) { m_pinDelay = value; }
  int GetDataBits() const { return m_dataBits; }
  void SetDataBits(int value) { m_dataBits = value; }
  int GetBaudRate() const { return m_baudRate; }
  void SetBaudRate(int value) { m_baudRate = value; }
  int GetStopBits() const { return m_stopBits; }
  void SetStopBits(int value) { m_stopBits = value; }
  int GetParity() const { return m_parity; }
  void SetParity(int value) { m_parity = value; }
  int GetPriority() const { return m_priority; }
  void SetPriority(int value) { m_priority = value; }
  int GetMaxMessageLength() const { return m_maxMessageLength; }
  void SetMaxMessageLength(int value) { m_maxMessageLength = value; }
  bool GetTestMode() const { return m_testMode; }
  void SetTestMode(bool test) { m_testMode = test; }
  const char* GetOwnPath() const { return m_ownPath.Get(); }
  void SetOwnPath(const char* path) { m_ownPath = path; }

 private:
  bool TakePath(const char* path);
  void ReadTexts(const char* file, bool withNumber);
  void ApplyDefaults();

  OwnedText m_portName;
  int m_baudRate = 300;  // stored and edited; the port runs at its own fixed speed
  int m_dataBits = 7;
  int m_stopBits = 2;  // 0 one, 1 one and a half, 2 two
  int m_parity = 2;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
  int m_mode = 0;          // 0 alphanumeric, 1 numeric
  int m_deliveryMode = 0;  // 0 web form, 1 modem
  OwnedText m_preDial;
  OwnedText m_postDial;
  OwnedText m_number;
  OwnedText m_tapPassword;    // sent in the modem logon; never stored in files
  OwnedText m_alphaPassword;  // stored, not sent
  OwnedText m_webPassword;    // stored only
  OwnedText m_description;
  int m_priority = 1;
  OwnedText m_username;
  OwnedText m_message;
  OwnedText m_pagerId;
  OwnedText m_pin;
  OwnedText m_initString;
  OwnedText m_dialString;
  int m_dialDelay = 60;
  int m_connectDelay = 15;
  int m_pinDelay = 15;
  OwnedText m_activeId;
  OwnedText m_downId;
  char m_webPageUrl[kWebPageUrlSize] = "";
  char m_webPagerId[kWebPagerIdSize] = "";
  OwnedText m_ownPath;
  bool m_testMode = false;
  int m_maxMessageLength = 180;
  OwnedText m_profileName;
  const std::atomic<bool>* m_running = nullptr;  // set for the time of Deliver
};
