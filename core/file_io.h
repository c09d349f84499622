// Whole-file reading and writing through locked global memory.
#pragma once

#include "qvplatform.h"

// Zero bytes that follow the requested size in every locked buffer, so that a
// whole file read into one is a zero-terminated text.
inline constexpr DWORD kLockedBufferSpare = 63;

// The bytes a file is read and written in at a time.
inline constexpr DWORD kWholeFilePiece = 32000;

// A moveable, zero-filled block of size + kLockedBufferSpare bytes, locked.
// The block goes to *holder for FreeLockedBuffer. On failure (also for a size
// whose block would pass 4 GiB) shows the program's message 10018 (no memory)
// or 10019 (no lock), leaves *holder null and returns null.
void* AllocLockedBuffer(HGLOBAL* holder, DWORD size);

// Unlocks and frees the block in *holder (messages 10020 when it stays locked
// and is kept, 10021 when the free fails) and clears the holder.
void FreeLockedBuffer(HGLOBAL* holder);

// Reads the whole file at path into a new locked buffer (block in *holder,
// byte count in *size). Null when the file does not exist, cannot be opened
// (message 10032 naming the file when showError is set), is larger than a
// locked buffer can hold, or a read fails. shareMode is CreateFileA's.
void* ReadWholeFile(const char* path, HGLOBAL* holder, BOOL showError, DWORD shareMode,
                    DWORD* size);

// Creates or truncates the file at path and writes size bytes of data.
// 1 when every byte was written and the file closed; 0 otherwise, with the
// reason as the last error.
int WriteWholeFile(const char* path, const void* data, DWORD size);
