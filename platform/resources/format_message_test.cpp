// FormatMessageA: system texts, inserts from a va_list or an array, and the
// buffer rules.
#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include "qvplatform.h"
#include "qvplatform/kernel.h"

namespace {

// Formats `text` with inserts from the variable arguments, as callers with a
// va_list do. Returns the text, or "<error N>".
std::string Format(DWORD flags, const char* text, ...) {
  va_list ap;
  va_start(ap, text);
  char buffer[512];
  SetLastError(0);
  const DWORD n = FormatMessageA(flags | FORMAT_MESSAGE_FROM_STRING, text, 0, 0, buffer, sizeof buffer, &ap);
  va_end(ap);
  if (n == 0 && GetLastError() != 0) return "<error " + std::to_string(GetLastError()) + ">";
  EXPECT_EQ(n, std::string(buffer).size());
  return std::string(buffer, n);
}

std::string System(DWORD code, DWORD flags = FORMAT_MESSAGE_IGNORE_INSERTS) {
  char buffer[512];
  SetLastError(0);
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | flags, nullptr, code, 0, buffer, sizeof buffer, nullptr);
  if (n == 0) return "<error " + std::to_string(GetLastError()) + ">";
  return std::string(buffer, n);
}

TEST(FormatMessage, SystemTextsEndInALineBreak) {
  EXPECT_EQ(System(ERROR_FILE_NOT_FOUND), "The system cannot find the file specified.\r\n");
  EXPECT_EQ(System(ERROR_ACCESS_DENIED), "Access is denied.\r\n");
  EXPECT_EQ(System(ERROR_RESOURCE_LANG_NOT_FOUND),
            "The specified resource language ID cannot be found in the image file.\r\n");
  EXPECT_EQ(System(10061), "No connection could be made because the target machine actively refused it.\r\n");
  // Every language gets the English text.
  char buffer[128];
  EXPECT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_SUCCESS, 1031,
                           buffer, sizeof buffer, nullptr),
            0u);
  EXPECT_STREQ(buffer, "The operation completed successfully.\r\n");
}

TEST(FormatMessage, EveryLayerErrorCodeHasASystemText) {
  const DWORD codes[] = {
      ERROR_INVALID_FUNCTION, ERROR_PATH_NOT_FOUND, ERROR_TOO_MANY_OPEN_FILES, ERROR_INVALID_HANDLE,
      ERROR_NOT_ENOUGH_MEMORY, ERROR_INVALID_DATA, ERROR_OUTOFMEMORY, ERROR_INVALID_DRIVE, ERROR_NO_MORE_FILES,
      ERROR_WRITE_PROTECT, ERROR_NOT_READY, ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION, ERROR_HANDLE_EOF,
      ERROR_HANDLE_DISK_FULL, ERROR_NOT_SUPPORTED, ERROR_BAD_NETPATH, ERROR_NETWORK_ACCESS_DENIED,
      ERROR_BAD_NET_NAME, ERROR_FILE_EXISTS, ERROR_INVALID_PARAMETER, ERROR_BROKEN_PIPE, ERROR_DISK_FULL,
      ERROR_CALL_NOT_IMPLEMENTED, ERROR_INSUFFICIENT_BUFFER, ERROR_INVALID_NAME, ERROR_MOD_NOT_FOUND,
      ERROR_PROC_NOT_FOUND, ERROR_NEGATIVE_SEEK, ERROR_DIR_NOT_EMPTY, ERROR_BAD_PATHNAME, ERROR_ALREADY_EXISTS,
      ERROR_ENVVAR_NOT_FOUND, ERROR_FILENAME_EXCED_RANGE, ERROR_MORE_DATA, WAIT_TIMEOUT, ERROR_NO_MORE_ITEMS,
      ERROR_DIRECTORY, ERROR_NOT_OWNER, ERROR_TOO_MANY_POSTS, ERROR_INVALID_ADDRESS, ERROR_OPERATION_ABORTED,
      ERROR_IO_INCOMPLETE, ERROR_IO_PENDING, ERROR_NOACCESS, ERROR_CANTOPEN, ERROR_CANTREAD, ERROR_CANTWRITE,
      ERROR_REGISTRY_CORRUPT, ERROR_KEY_DELETED, ERROR_SERVICE_REQUEST_TIMEOUT, ERROR_SERVICE_ALREADY_RUNNING,
      ERROR_SERVICE_DOES_NOT_EXIST, ERROR_SERVICE_NOT_ACTIVE, ERROR_SERVICE_EXISTS, ERROR_INVALID_WINDOW_HANDLE,
      ERROR_NO_SYSTEM_RESOURCES, ERROR_TIMEOUT, ERROR_RESOURCE_DATA_NOT_FOUND, ERROR_RESOURCE_TYPE_NOT_FOUND,
      ERROR_RESOURCE_NAME_NOT_FOUND, ERROR_LOGON_FAILURE, ERROR_PRIVILEGE_NOT_HELD, ERROR_NONE_MAPPED,
      ERROR_NO_SUCH_USER, ERROR_NO_SUCH_GROUP, ERROR_BAD_DEVICE, ERROR_CONNECTION_UNAVAIL, ERROR_NOT_CONNECTED,
      ERROR_MR_MID_NOT_FOUND, ERROR_RESOURCE_ENUM_USER_STOP};
  for (DWORD code : codes) {
    const std::string text = System(code);
    EXPECT_TRUE(text.size() > 2 && text.ends_with(".\r\n")) << code << ": " << text;
  }
}

TEST(FormatMessage, UnknownSystemNumbersAndMissingInsertsFail) {
  EXPECT_EQ(System(77777), "<error 317>");
  // A system text with inserts needs arguments unless inserts are ignored.
  EXPECT_EQ(System(ERROR_MR_MID_NOT_FOUND, 0), "<error 87>");
  EXPECT_EQ(System(ERROR_MR_MID_NOT_FOUND),
            "The system cannot find message text for message number 0x%1 in the message file for %2.\r\n");
  char buffer[64];
  SetLastError(0);
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE, nullptr, 5, 0, buffer, sizeof buffer, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
  EXPECT_EQ(FormatMessageA(0, "text", 0, 0, buffer, sizeof buffer, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(FormatMessage, InsertsFromAVaList) {
  EXPECT_EQ(Format(0, "Cannot open %1: error %2!d!.", "lert0001.amp", 5), "Cannot open lert0001.amp: error 5.");
  EXPECT_EQ(Format(0, "%2 before %1, %1 again", "one", "two"), "two before one, one again");
  EXPECT_EQ(Format(0, "%1!d! %2!u! %3!x! %4!04X! %5!c!", -7, 4000000000u, 255, 0xab, 'z'), "-7 4000000000 ff 00AB z");
  EXPECT_EQ(Format(0, "%1!I64u! and %2!lld! then %3", 18446744073709551615ull, -5ll, "end"),
            "18446744073709551615 and -5 then end");
  EXPECT_EQ(Format(0, "[%1!-6s!][%2!5.2s!]", "ab", "xyz"), "[ab    ][   xy]");
  EXPECT_EQ(Format(0, "%1!lu! %2!hd!", 70000u, 65535), "70000 -1");
  EXPECT_EQ(Format(0, "%1", static_cast<const char*>(nullptr)), "(null)");
  // The tenth insert and beyond take two digits.
  EXPECT_EQ(Format(0, "%10%1", "1", "2", "3", "4", "5", "6", "7", "8", "9", "ten"), "ten1");
}

TEST(FormatMessage, AVaListInsertKeepsTheTypeOfItsFirstUse) {
  // Each value is read from the list once; a use in another type is refused
  // rather than taking the integer for a pointer or the pointer for an integer.
  EXPECT_EQ(Format(0, "%1 %1!d!", "text"), "<error 87>");
  EXPECT_EQ(Format(0, "%1!d! %1", "text"), "<error 87>");
  EXPECT_EQ(Format(0, "%1!I64u! %1!u!", 5ull), "<error 87>");
  // Uses in the same type are fine, whatever their width or conversion.
  EXPECT_EQ(Format(0, "%1!d! %1!04x! %1!c!", 65), "65 0041 A");
  EXPECT_EQ(Format(0, "%1 %1!-4s!|", "ab"), "ab ab  |");
  // An argument array holds pointer-sized values: each use reads its own.
  const char* name = "qvm";
  DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(name)};
  char buffer[64];
  EXPECT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, "%1 %1!p!", 0, 0, buffer,
                           sizeof buffer, reinterpret_cast<va_list*>(args)),
            0u);
  EXPECT_EQ(std::string(buffer).substr(0, 4), "qvm ");
}

TEST(FormatMessage, InsertsFromAnArgumentArray) {
  const char* name = "qvm_alrt.dll";
  DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(name), 42, static_cast<DWORD_PTR>(-1)};
  char buffer[128];
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, "%1 loaded %2!d! times %3!d!",
                                 0, 0, buffer, sizeof buffer, reinterpret_cast<va_list*>(args));
  EXPECT_STREQ(buffer, "qvm_alrt.dll loaded 42 times -1");
  EXPECT_EQ(n, 31u);
}

TEST(FormatMessage, EscapesAndIgnoredInserts) {
  EXPECT_EQ(Format(0, "100%% done%nnext%tcol%rX%. %!"), "100% done\r\nnext\tcol\rX. !");
  EXPECT_EQ(Format(0, "stop here%0 and not here"), "stop here");
  EXPECT_EQ(Format(FORMAT_MESSAGE_IGNORE_INSERTS, "keep %1 and %2!d! but %n"), "keep %1 and %2!d! but \r\n");
  EXPECT_EQ(Format(0, "bad %1!*d!", 3, 4), "<error 87>");
  EXPECT_EQ(Format(0, "bad %1!f!", 1.0), "<error 87>");
  EXPECT_EQ(Format(0, "bad %1!ls!", "x"), "<error 87>");
  EXPECT_EQ(Format(0, "unclosed %1!d", 3), "<error 87>");
  char buffer[64];
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING, "needs %1", 0, 0, buffer, sizeof buffer, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(FormatMessage, LineWidths) {
  // With the width mask the message's own line breaks become blanks; %n stays.
  EXPECT_EQ(Format(FORMAT_MESSAGE_MAX_WIDTH_MASK, "one\r\ntwo%nthree\n"), "one two\r\nthree ");
  EXPECT_EQ(System(ERROR_ACCESS_DENIED, FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK),
            "Access is denied. ");
  // A width wraps at blanks, or inside a word longer than the line.
  EXPECT_EQ(Format(10, "aaa bbb ccc dddd%nxxxxxxxxxxxxxx"), "aaa bbb\r\nccc dddd\r\nxxxxxxxxxx\r\nxxxx");
}

TEST(FormatMessage, TheBufferMustHoldTheWholeText) {
  char buffer[8] = "xxxxxxx";
  SetLastError(0);
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING, "12345678", 0, 0, buffer, 8, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING, "1234567", 0, 0, buffer, 8, nullptr), 7u);
  EXPECT_STREQ(buffer, "1234567");
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING, "x", 0, 0, nullptr, 8, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(FormatMessage, AllocatesTheBufferFromTheLocalHeap) {
  LPSTR text = nullptr;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, ERROR_ACCESS_DENIED, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(n, 19u);
  EXPECT_STREQ(text, "Access is denied.\r\n");
  EXPECT_EQ(LocalFree(text), nullptr);

  // nSize asks for at least that many bytes.
  text = nullptr;
  ASSERT_EQ(FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING, "%1", 0, 0,
                           reinterpret_cast<LPSTR>(&text), 64, nullptr),
            0u);
  EXPECT_EQ(text, nullptr);  // failed before allocating: no arguments for %1
  const char* arg = "abc";
  DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(arg)};
  ASSERT_EQ(FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                           "%1", 0, 0, reinterpret_cast<LPSTR>(&text), 64, reinterpret_cast<va_list*>(args)),
            3u);
  ASSERT_NE(text, nullptr);
  EXPECT_GE(LocalSize(text), 64u);
  EXPECT_STREQ(text, "abc");
  LocalFree(text);
}

}  // namespace
