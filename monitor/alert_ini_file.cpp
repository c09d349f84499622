// Version stamp of the plug-in's settings file.
#include "alert_ini_file.h"

#include <cstring>

#include "plugin_helpers.h"

CAlertIniFile::CAlertIniFile(const char* path) : m_path(nullptr) {
  if (path == nullptr) return;
  const size_t length = std::strlen(path);
  m_path = new char[length + 1];
  std::memcpy(m_path, path, length + 1);
  if (ReadProfileInt("General", "MinorVersion", 0, m_path) < 1) {
    WriteProfileInt("General", "MajorVersion", 1, m_path);
    WriteProfileInt("General", "MinorVersion", 1, m_path);
  }
}

CAlertIniFile::~CAlertIniFile() { delete[] m_path; }
