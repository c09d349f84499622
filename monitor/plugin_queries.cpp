// Row order, exit check and profile keys of schedule events.
#include "plugin_queries.h"

#include <cstring>

#include "alert_plugin.h"
#include "device_list.h"
#include "monitor_profile.h"
#include "profile_registry.h"

namespace {

int Sign(int64_t value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

const char* KindName(const CAlertPlugin* plugin, const PROFILE* row) {
  const CMonitorProfile* profile = plugin->FindLoadedProfile(row->key);
  if (profile == nullptr || profile->GetSettings() == nullptr) return MonitorTypeName(0);
  return profile->GetSettings()->GetMonitorTypeName();
}

struct RowDevice {
  bool found = false;
  DeviceStatus status;
  bool disabled = false;
};

RowDevice DeviceOf(const CAlertPlugin* plugin, const PROFILE* row) {
  RowDevice device;
  DeviceList* devices = plugin->GetDeviceList();
  const CMonitorProfile* profile = plugin->FindLoadedProfile(row->key);
  if (devices == nullptr || profile == nullptr) return device;
  device.found = devices->GetDeviceStatus(profile, &device.status);
  device.disabled = profile->GetSettings() != nullptr && profile->GetSettings()->GetDisabled();
  return device;
}

}  // namespace

bool IsSampleProfile(const CMonitorProfile* profile) {
  if (profile == nullptr || profile->GetSettings() == nullptr) return false;
  const CMonitorSettings* settings = profile->GetSettings();
  return std::strcmp(profile->GetDescription(), "Sample Alert Profile (Local Host)") == 0 &&
         std::strcmp(settings->GetHostName(), "127.0.0.1") == 0 &&
         settings->GetMonitorType() == MONITOR_PING;
}

int CompareProfileRows(const CAlertPlugin* plugin, const PROFILE* a, const PROFILE* b, int column) {
  if (plugin == nullptr || a == nullptr || b == nullptr) return 0;
  switch (column) {
    case 0:
      return Sign(lstrcmpiA(a->description, b->description));
    case 1:
      return Sign(lstrcmpA(KindName(plugin, a), KindName(plugin, b)));
    case 2:
      return Sign(lstrcmpA(a->host, b->host));
    case 3: {
      const RowDevice first = DeviceOf(plugin, a);
      const RowDevice second = DeviceOf(plugin, b);
      if (!first.found || !second.found) return 0;
      return Sign(lstrcmpA(first.status.statusText, second.status.statusText));
    }
    case 4: {
      const RowDevice first = DeviceOf(plugin, a);
      const RowDevice second = DeviceOf(plugin, b);
      if (!first.found || !second.found) return 0;
      const int64_t timeA = first.disabled ? 0 : first.status.stateChangedTime;
      const int64_t timeB = second.disabled ? 0 : second.status.stateChangedTime;
      return Sign(timeA - timeB);
    }
    default:
      return 0;
  }
}

bool IsShutDownAllowed(const CAlertPlugin* plugin) {
  DeviceList* devices = plugin != nullptr ? plugin->GetDeviceList() : nullptr;
  if (devices == nullptr) return true;  // nothing is monitored
  if (devices->IsAlertingDisabled()) return true;
  const std::vector<CMonitorProfile*> profiles = devices->DeviceProfiles();
  if (profiles.size() == 1 && IsSampleProfile(profiles[0])) return true;
  for (const CMonitorProfile* profile : profiles) {
    if (profile->GetSettings() != nullptr && !profile->GetSettings()->GetDisabled()) return false;
  }
  return true;
}

void ReleaseEventProfileKey(const CAlertPlugin* plugin, SCHEDULE_EVENT* event) {
  if (event == nullptr || event->key == nullptr) return;
  void* key = event->key;
  event->key = nullptr;
  if (plugin != nullptr && plugin->FindLoadedProfile(key) != nullptr) return;
  if (profile_registry::IsUnheld(key)) delete static_cast<CMonitorProfile*>(key);
}
