// Value classes of the user-interface library: a text string, a file and the
// wait cursor of a busy scope.
#pragma once

#include <compare>
#include <cstdarg>
#include <string>

#include "qvplatform.h"

#ifndef QVUI_CLASS
#define QVUI_CLASS __attribute__((visibility("default")))
#endif

// A text value. Copies are independent; every operation is safe on an empty
// string and on itself (s = s, s += s, s.Format("%s.", (const char*)s)).
// The text may hold zero bytes (the length counts them; the (text, length)
// constructor, +=, Find, Replace, Left/Mid/Right and Compare against another
// CString keep them); the const char* view ends at the first of them.
// Indices and counts are in bytes. Positions out of range are clamped, never
// undefined: a negative count reads as 0, a count past the end as "to the end".
// A null const char* argument reads as the empty text.
class QVUI_CLASS CString {
 public:
  CString() = default;
  CString(const char* text);  // NOLINT: implicit, like a text literal
  // `length` bytes of text, zeros included; a negative length or null text: empty.
  CString(const char* text, int length);
  // `count` copies of c (none when count < 1).
  explicit CString(char c, int count = 1);
  CString(const CString&) = default;
  CString(CString&&) noexcept = default;
  CString& operator=(const CString&) = default;
  CString& operator=(CString&&) noexcept = default;
  CString& operator=(const char* text);
  CString& operator=(char c);
  ~CString() = default;

  int GetLength() const { return static_cast<int>(m_text.size()); }
  bool IsEmpty() const { return m_text.empty(); }
  void Empty() { m_text.clear(); }
  // The byte at index; '\0' outside the text.
  char GetAt(int index) const;
  // Sets the byte at index; an index outside the text changes nothing.
  void SetAt(int index, char c);
  // The text up to its first zero byte; valid until the string next changes.
  operator const char*() const { return m_text.c_str(); }  // NOLINT: implicit by design
  const char* GetString() const { return m_text.c_str(); }

  CString& operator+=(const CString& text);
  CString& operator+=(const char* text);
  CString& operator+=(char c);

  // Byte order (as unsigned bytes): negative, 0 or positive. Against another
  // CString the whole text counts, zero bytes included.
  int Compare(const char* text) const;
  int Compare(const CString& text) const;
  // Without regard to case, as the layer's lstrcmpiA (up to the first zero): -1, 0 or 1.
  int CompareNoCase(const char* text) const;

  // Index of the first c / the first occurrence of text at or after start,
  // -1 when there is none (a negative start reads as 0; an empty text is never found).
  int Find(char c, int start = 0) const;
  int Find(const char* text, int start = 0) const;
  // Index of the last c, -1 when there is none.
  int ReverseFind(char c) const;
  // Index of the first byte that is one of `characters`, -1 when there is none.
  int FindOneOf(const char* characters) const;

  // Replaces every occurrence, left to right without overlap; the inserted
  // text is not searched again. Answers the number of replacements. An empty
  // `from` replaces nothing; an empty `to` removes each occurrence.
  int Replace(char from, char to);
  int Replace(const char* from, const char* to);

  // printf-style formatting of any length into this string (the arguments may
  // refer to the string itself). False, with the string empty, for a null
  // format, an encoding error or a result too long for an int length.
  bool Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
  bool FormatV(const char* format, va_list arguments) __attribute__((format(printf, 2, 0)));

  // Case as the layer's CharUpperA/CharLowerA (Windows Latin-1 letters); zero
  // bytes stay.
  CString& MakeUpper();
  CString& MakeLower();

  // The first `count` bytes, the bytes from `first` (`count` of them), the last
  // `count` bytes; clamped to the text.
  CString Left(int count) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString Right(int count) const;

 private:
  std::string m_text;
};

inline bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
inline bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
inline std::strong_ordering operator<=>(const CString& a, const CString& b) { return a.Compare(b) <=> 0; }
inline std::strong_ordering operator<=>(const CString& a, const char* b) { return a.Compare(b) <=> 0; }

inline CString operator+(CString a, const CString& b) { return a += b; }
inline CString operator+(CString a, const char* b) { return a += b; }
inline CString operator+(CString a, char b) { return a += b; }
inline CString operator+(const char* a, const CString& b) { return CString(a) += b; }
inline CString operator+(char a, const CString& b) { return CString(a) += b; }

// A file of the layer (CreateFileA and its family). Errors are results, never
// exceptions: a call that fails answers false (Read: 0, positions and lengths:
// -1), leaves the file as it was where it can, and keeps the Windows error
// code, readable through LastError() and also left as the thread's last error
// (GetLastError). A successful call sets LastError() to 0. Every call on a
// file that is not open fails with ERROR_INVALID_HANDLE. The object owns the
// handle and closes it when it ends. One thread uses an object at a time.
class QVUI_CLASS CFile {
 public:
  // Open flags: one access mode, optionally modeCreate (create the file, or
  // truncate an existing one unless modeNoTruncate is also given).
  enum OpenFlags : unsigned {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
  };
  // Seek origins.
  enum SeekPosition : unsigned { begin = FILE_BEGIN, current = FILE_CURRENT, end = FILE_END };

  CFile() = default;
  ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Opens path (a Windows path) as flags say, positioned at its start; an open
  // file is closed first. An unknown access mode fails with ERROR_INVALID_PARAMETER.
  bool Open(const char* path, unsigned flags);
  // Closes the file; false when it was not open.
  bool Close();
  bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
  // The path given to the last successful Open; empty when closed.
  const char* GetFilePath() const { return m_path.c_str(); }

  // Reads up to count bytes at the position and moves past them. Answers the
  // number read: fewer than count at the end of the file, 0 there or on failure
  // (LastError() tells the two apart).
  DWORD Read(void* buffer, DWORD count);
  // Writes all count bytes at the position (a position past the end grows
  // the file, the gap reading as zeros); false when not all were written.
  bool Write(const void* buffer, DWORD count);

  // Moves to offset from origin and answers the new position; a position past
  // the end is allowed. -1 for a position before the start (ERROR_NEGATIVE_SEEK)
  // or an unknown origin; the position is then unchanged.
  LONGLONG Seek(LONGLONG offset, unsigned from);
  LONGLONG SeekToBegin() { return Seek(0, begin); }
  LONGLONG SeekToEnd() { return Seek(0, end); }
  LONGLONG GetPosition();
  LONGLONG GetLength();
  // Grows (with zeros) or cuts the file to length bytes; the position stays
  // where it was, even when that is now past the end.
  bool SetLength(LONGLONG length);
  // Writes what the system holds of the file to the disk.
  bool Flush();

  // The Windows error code of the last call; 0 after a success.
  DWORD LastError() const { return m_error; }

 private:
  bool Fail(DWORD error);
  LONGLONG FailPosition(DWORD error);
  bool Succeed();
  bool Check();

  HANDLE m_handle = INVALID_HANDLE_VALUE;
  std::string m_path;
  DWORD m_error = 0;
};

// Shows the wait cursor while the object lives and puts the cursor that was
// current before back when it ends. Objects nest: each one restores what it
// found, so they must end in the reverse order of their making, as scoped
// objects do.
class QVUI_CLASS CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

 private:
  HCURSOR m_previous = nullptr;
};
