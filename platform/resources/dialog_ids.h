// Which numbered dialog template a block of template bytes is. Programs often
// copy a template out of its module before making a dialog from the copy; the
// layer still knows the dialog's template id (the snapshot directory and the
// test driver name dialogs by it) by matching the bytes against the templates
// handed out before.
#pragma once

#include <cstddef>

#include "qvplatform/types.h"

namespace qvp {

// Notes a numbered dialog template as it is found in a module.
void RememberDialogTemplate(const void* data, size_t size, UINT id);
// The id of a template with exactly these bytes, or 0 when none was found.
UINT KnownDialogTemplateId(const void* data, size_t size);

}  // namespace qvp
