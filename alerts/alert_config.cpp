// The alert configuration of a monitor profile.
#include "alert_config.h"

#include "alert_queues.h"

namespace {

template <class T>
std::unique_ptr<T> CopyOf(const std::unique_ptr<T>& source) {
  return source ? std::make_unique<T>(*source) : nullptr;
}

}  // namespace

CAlertConfig::CAlertConfig(const char* path)
    : m_audio(std::make_unique<CAudioAlert>()),
      m_email(std::make_unique<CEmailAlert>()),
      m_pager(std::make_unique<CPagerAlert>()) {
  // Loading reads every channel object afresh from the file.
  if (path != nullptr && *path != '\0') Load(path);
}

CAlertConfig::CAlertConfig(const CAlertConfig& other)
    : m_audio(CopyOf(other.m_audio)),
      m_email(CopyOf(other.m_email)),
      m_pager(CopyOf(other.m_pager)),
      m_audioEnabled(other.m_audioEnabled),
      m_emailEnabled(other.m_emailEnabled),
      m_pagerEnabled(other.m_pagerEnabled),
      m_path(other.m_path) {}

CAlertConfig& CAlertConfig::operator=(const CAlertConfig& other) {
  if (this == &other) return *this;
  m_audio = CopyOf(other.m_audio);
  m_email = CopyOf(other.m_email);
  m_pager = CopyOf(other.m_pager);
  m_audioEnabled = other.m_audioEnabled;
  m_emailEnabled = other.m_emailEnabled;
  m_pagerEnabled = other.m_pagerEnabled;
  m_path = other.m_path;
  return *this;
}

bool CAlertConfig::TakePath(const char* path) {
  if (path != nullptr && *path != '\0') m_path = path;
  return !m_path.IsEmpty();
}

void CAlertConfig::ReadFlags() {
  const char* file = m_path.Get();
  m_audioEnabled = ReadAlertInt(kSection, "audio", 0, file) == 1;
  m_emailEnabled = ReadAlertInt(kSection, "email", 0, file) == 1;
  m_pagerEnabled = ReadAlertInt(kSection, "pager", 0, file) == 1;
}

bool CAlertConfig::Load(const char* path) {
  if (!TakePath(path)) return false;
  const char* file = m_path.Get();
  ReadFlags();
  m_audio = std::make_unique<CAudioAlert>(file);
  m_email = std::make_unique<CEmailAlert>(file);
  m_pager = std::make_unique<CPagerAlert>(file);
  return true;
}

bool CAlertConfig::LoadLegacy(const char* path) {
  if (!TakePath(path)) return false;
  const char* file = m_path.Get();
  ReadFlags();
  m_audio = std::make_unique<CAudioAlert>();
  m_audio->ReadLegacy(file);
  m_email = std::make_unique<CEmailAlert>();
  m_email->ReadLegacy(file);
  m_pager = std::make_unique<CPagerAlert>();
  m_pager->ReadLegacy(file);
  return true;
}

bool CAlertConfig::Save(const char* path) {
  if (!TakePath(path)) return false;
  const char* file = m_path.Get();
  bool ok = WriteAlertInt(kSection, "audio", m_audioEnabled ? 1 : 0, file);
  if (m_audio) ok = m_audio->Write(file) && ok;
  ok = WriteAlertInt(kSection, "email", m_emailEnabled ? 1 : 0, file) && ok;
  if (m_email) ok = m_email->Write(file) && ok;
  ok = WriteAlertInt(kSection, "pager", m_pagerEnabled ? 1 : 0, file) && ok;
  if (m_pager) ok = m_pager->Write(file) && ok;
  // Failed writes are not lost silently: the caller learns of them.
  return ok;
}

void CAlertConfig::Send(bool test, const AlertQueues& queues) const {
  if (test) SetAlertTestCancelled(false);
  if (m_emailEnabled && m_email && queues.email != nullptr) {
    m_email->SetTestMode(test);
    if (test) {
      SetAlertTestRunning(AlertChannel::Email, true);
      queues.email->PutTest(*m_email);
    } else {
      queues.email->Add(*m_email);
    }
  }
  if (m_audioEnabled && m_audio && queues.audio != nullptr) {
    m_audio->SetTestMode(test);
    if (test) {
      SetAlertTestRunning(AlertChannel::Audio, true);
      queues.audio->PutTest(*m_audio);
    } else {
      queues.audio->Add(*m_audio);
    }
  }
  if (m_pagerEnabled && m_pager && queues.pager != nullptr) {
    m_pager->SetTestMode(test);
    if (test) {
      SetAlertTestRunning(AlertChannel::Pager, true);
      queues.pager->PutTest(*m_pager);
    } else {
      queues.pager->Add(*m_pager);
    }
  }
}
