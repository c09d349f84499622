// Mail with files attached, for QVUI_SendMail.
#pragma once

#include <vector>

#include "smtp_text.h"

namespace qvui::smtp {

// Sends `body` with the attachments to `address` with the transport and the
// subject of the settings (as QVUI_SendMailBody); a QVUI_MAIL_ result.
int SendWithAttachments(const char* address, const char* body, std::vector<Attachment> attachments);

}  // namespace qvui::smtp
