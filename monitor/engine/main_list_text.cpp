// The main list's row texts.
#include <cstdio>
#include <cstring>

#include "alert_plugin.h"
#include "clock_text.h"
#include "monitor_engine.h"
#include "monitor_profile.h"

int FormatMainListText(const CAlertPlugin* plugin, DeviceList* devices, const PROFILE* row, char* out, int size) {
  if (out == nullptr || size <= 0) return row == nullptr ? 0 : 1;
  const size_t room = static_cast<size_t>(size);
  if (row == nullptr) {
    std::snprintf(out, room, "%s",
                  "220,Profile Description\t50,Type\t150,Host/Device\t50,Status\t150,Last Time Status Changed");
    return 0;
  }
  const CMonitorProfile* profile = plugin != nullptr ? plugin->FindLoadedProfile(row->key) : nullptr;
  const char* kindName = profile != nullptr && profile->GetSettings() != nullptr
                             ? profile->GetSettings()->GetMonitorTypeName()
                             : MonitorTypeName(0);
  DeviceStatus status;
  if (devices == nullptr || profile == nullptr || !devices->GetDeviceStatus(profile, &status)) {
    std::snprintf(out, room, "%.*s\t%s\t%.*s\t%s\t%s", static_cast<int>(sizeof row->description), row->description,
                  kindName, static_cast<int>(sizeof row->host), row->host, "n/a", "n/a");
    return 1;
  }
  char changed[32] = "";
  if (status.lastTestTick != 0) {
    CalendarText(status.stateChangedTime, changed);
    changed[std::strcspn(changed, "\n")] = '\0';
  }
  std::snprintf(out, room, "%.*s\t%s\t%.*s\t%s\t%s", static_cast<int>(sizeof row->description), row->description,
                kindName, static_cast<int>(sizeof row->host), row->host, status.statusText, changed);
  return status.statusCode;
}
