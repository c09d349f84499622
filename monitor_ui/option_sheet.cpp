// The plug-in's options sheet inside the program's options window.
#include <cstring>

#include "alert_ini_file.h"
#include "alert_plugin.h"
#include "monitor_ui.h"
#include "plugin_globals.h"
#include "qv_ui.h"

int& OptionsStartPage() {
  static int page = 0;
  return page;
}

HWND CAlertPlugin::CreateOptionSheet(HWND parent, HBITMAP* bitmap, RECT* bitmapRect, char* shortTitle,
                                     char* longTitle) {
  if (shortTitle != nullptr) std::strcpy(shortTitle, "Monitoring\nAlerting");
  if (longTitle != nullptr) std::strcpy(longTitle, "Monitoring and Alerting");
  HBITMAP picture = QVUI_GetBitmapHandleFromCache(parent, 109, m_instance);
  if (bitmap != nullptr) *bitmap = picture;
  if (bitmapRect != nullptr) {
    int width = 0, height = 0;
    QVUI_GetBitmapSize(picture, &width, &height);
    *bitmapRect = RECT{0, 0, width, height};
  }
  m_optionsSheet = MakeOptionsSheet();
  m_optionsSheet.owner = parent;
  m_optionsSheet.startPage = OptionsStartPage();
  m_optionsSheet.pageParam = reinterpret_cast<LPARAM>(m_iniStamp);
  static PROPSHEETPAGEA pages[kMaxSheetPages];  // the sheet copies them; one options sheet at a time
  const int count = BuildSheetPages(m_optionsSheet, pages);
  if (count == 0) return nullptr;
  const PROPSHEETHEADERA header = BuildSheetHeader(m_optionsSheet, pages, count);
  return QVUI_PropertySheet(&header);
}
