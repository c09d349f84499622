// The PAM conversation of LogonUserA: the password answers the one password
// prompt; informational messages get no answer; any other prompt, or a second
// password prompt, ends the conversation with PAM_CONV_ERR.
#pragma once

#include <security/pam_appl.h>

namespace qvp::accounts {

struct Conversation {
  const char* password;
  bool answered = false;
};

// A pam_conv function; `data` is the Conversation.
int Converse(int count, const pam_message** messages, pam_response** out, void* data);

// Frees an answer array (the passwords in it wiped first).
void FreeResponses(pam_response* responses, int count);

}  // namespace qvp::accounts
