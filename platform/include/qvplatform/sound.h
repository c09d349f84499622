// Sound: sndPlaySoundA (wave files and in-memory wave images) and the tones
// of the beep types.
//
// Sounds go to the ALSA device when one can be opened; otherwise, and always
// under QV_TEST=1 unless a test names a device, they are only recorded. Either
// way every request is written to the sound log that tests read with
// qvp::TakeSoundLog.
//
// sndPlaySoundA(name, flags):
// - name null: stops the sound playing (if any); TRUE.
// - otherwise name is a wave file's path (through the path mapper), or with
//   SND_MEMORY the address of a whole wave image ("RIFF" ... "WAVE").
//   A file that is missing or unreadable, or whose content is no wave sound
//   the layer can play (PCM 8/16/24/32 bits, IEEE float, A-law, mu-law), gives
//   FALSE with the last error set; there is no system default sound to fall
//   back on, so SND_NODEFAULT changes nothing.
// - SND_SYNC (0) returns when the sound has played (or was stopped or
//   replaced from another thread); SND_ASYNC returns at once. A new sound
//   replaces the one playing; with SND_NOSTOP a playing sound is kept and the
//   call answers FALSE.
// - SND_LOOP repeats the sound until it is stopped or replaced; it needs
//   SND_ASYNC (with SND_SYNC it would never return: FALSE,
//   ERROR_INVALID_PARAMETER).
#pragma once

#include <string>
#include <vector>

#include "qvplatform/errors.h"
#include "qvplatform/types.h"

#ifndef ERROR_BAD_FORMAT
#define ERROR_BAD_FORMAT 11L
#endif

#define SND_SYNC 0x0000u
#define SND_ASYNC 0x0001u
#define SND_NODEFAULT 0x0002u
#define SND_MEMORY 0x0004u
#define SND_LOOP 0x0008u
#define SND_NOSTOP 0x0010u
#define SND_ALIAS 0x00010000u
#define SND_FILENAME 0x00020000u

QV_API BOOL WINAPI sndPlaySoundA(LPCSTR lpszSound, UINT fuSound);

namespace qvp {

enum class SoundEventKind {
  kPlay,  // a sound started (a wave file or image)
  kStop,  // a stop request (null name)
  kBeep,  // the tone of a beep type
};

// One request as the layer carried it out.
struct SoundEvent {
  SoundEventKind kind = SoundEventKind::kPlay;
  std::string name;  // as passed ("<memory>" for SND_MEMORY); empty for a stop or beep
  std::string path;  // the Linux file played, for a file
  UINT flags = 0;    // the SND_ flags; for a beep, the beep type
  WORD channels = 0;
  DWORD samples_per_sec = 0;
  WORD bits_per_sample = 0;
  DWORD duration_ms = 0;   // one pass of the sound
  bool to_device = false;  // played on the ALSA device (false: recorded only)
};

// The requests since the last call (at most the newest 256), oldest first;
// empties the log. Failed requests are not in it.
std::vector<SoundEvent> TakeSoundLog();

// True while a sound started with SND_LOOP plays (neither stopped nor replaced).
bool SoundIsLooping();

// The ALSA device sounds go to: null or "" = automatic ("default", but none
// under QV_TEST=1); any other text names an ALSA device ("null", "hw:0", ...).
void SetSoundDevice(const char* alsa_device);

// Plays the tone of a beep type (MB_OK, MB_ICONHAND, MB_ICONQUESTION,
// MB_ICONEXCLAMATION, MB_ICONASTERISK, 0xFFFFFFFF for the simple beep) as an
// asynchronous sound; TRUE unless the tone could not be made.
BOOL PlayBeepSound(UINT type);

}  // namespace qvp
