// The senders a page goes out through: by modem as an alphanumeric (TAP) page
// or a numeric page, or through a web paging form. Each answers how the page
// fared and tells its progress through `status`.
#pragma once

#include "alert_status.h"

class CPagerAlert;

SendResult SendAlphaPage(CPagerAlert& alert, AlertStatus& status);
SendResult SendNumericPage(CPagerAlert& alert, AlertStatus& status);
SendResult SendWebPage(CPagerAlert& alert, AlertStatus& status);
