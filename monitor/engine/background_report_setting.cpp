// The background report's interval as the options page sets it.
#include "monitor_engine.h"

void MonitorEngine::SetBackgroundReport(uint32_t intervalMinutes) {
  m_reportInterval.store(intervalMinutes);
  m_nextReportTick.store(intervalMinutes != 0 ? Tick() + 5000 : 0);
}
