// The link from host callback 10 to the progress code's analysis callback.
//
// The progress code sets the hook to its RealtimeAnalysisCallback at start-up;
// the host calls it with (profile index in the ProfileTable or -1, file name,
// lines, percent, elapsed). A nonzero answer means the user cancelled. While
// the hook is null nothing is ever cancelled.
#pragma once

typedef int (*RealtimeAnalysisHook)(int profileIndex, const char* fileName, int lines, int percent, int elapsed);

extern RealtimeAnalysisHook g_realtimeAnalysisHook;
