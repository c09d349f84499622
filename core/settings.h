// The small accessors of the settings file "QUORVANE.INI" in the program
// directory. Every call reads or writes the file at once; a missing file,
// section or key reads as the default (settings_keys.h), and the first write
// creates the file. Text readers truncate to the smaller of the caller's
// buffer and the key's own length.
#pragma once

#include <cstddef>

#include "qvplatform.h"

// Writes value as unsigned decimal text under section/key of any profile file.
void WriteIntSetting(const char* section, const char* key, DWORD value, const char* filePath);

// [Defaults] ListStart (top row) and ListOffset (selected row), 0 each.
void ReadListPosition(short* top, short* selected);
void WriteListPosition(short top, short selected);

// [Defaults] ListRefreshRate in seconds, 30.
int ReadListRefreshRate();

// [Defaults] CPUUsage, 100; any value above 100 reads as 100.
WORD ReadCpuUsageSetting();

// [Browser] Path, empty, at most ini::kBrowserPathLen characters with its zero.
void ReadBrowserPath(char* buffer, size_t size);
void WriteBrowserPath(const char* path);

// [Language] Program, Report ("ENGLISH") and Country ("US"), at most
// ini::kLanguageLen characters with the zero.
void ReadProgramLanguage(char* buffer, size_t size);
void WriteProgramLanguage(const char* text);
void ReadReportLanguage(char* buffer, size_t size);
void WriteReportLanguage(const char* text);
void ReadCountry(char* buffer, size_t size);
void WriteCountry(const char* text);

// [Main] Author and Company; each that is empty is taken from the registered
// owner / organisation of the system and written back when one is found.
void ReadAuthorAndCompany(char* author, size_t authorSize, char* company, size_t companySize);
