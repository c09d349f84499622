// The plug-in's settings file "qvm_alrt.ini" as the option pages receive it:
// its path, and the version stamp written when the object is made.
#pragma once

class CAlertIniFile {
 public:
  // Keeps a copy of the path (null: none) and stamps the file: a file whose
  // [General] MinorVersion is below 1 (or missing) gets MajorVersion = 1 and
  // MinorVersion = 1; a newer stamp is left untouched.
  explicit CAlertIniFile(const char* path);
  ~CAlertIniFile();
  CAlertIniFile(const CAlertIniFile&) = delete;
  CAlertIniFile& operator=(const CAlertIniFile&) = delete;

  const char* GetPath() const { return m_path; }

 private:
  char* m_path;
};
