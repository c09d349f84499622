// An application loop that polls its queue (PeekMessage until empty, then a
// short Sleep) is a modal loop too: the Sleep that follows an empty peek runs
// the modal idle hook, so that a test driver can act on its windows.
#pragma once

namespace qvp {

// PeekMessageA notes whether it found the calling thread's queue empty.
void NoteEmptyPeek(bool empty);
// True once after an empty peek, and clears the note.
bool TakeEmptyPeek();

}  // namespace qvp
