#include "accounts/pam_conversation.h"

#include <cstdlib>
#include <cstring>

namespace qvp::accounts {

void FreeResponses(pam_response* responses, int count) {
  if (responses == nullptr) return;
  for (int i = 0; i < count; ++i) {
    if (responses[i].resp != nullptr) {
      explicit_bzero(responses[i].resp, std::strlen(responses[i].resp));
      std::free(responses[i].resp);
    }
  }
  std::free(responses);
}

int Converse(int count, const pam_message** messages, pam_response** out, void* data) {
  if (count <= 0 || messages == nullptr || out == nullptr) return PAM_CONV_ERR;
  auto* conversation = static_cast<Conversation*>(data);
  auto* responses = static_cast<pam_response*>(std::calloc(static_cast<size_t>(count), sizeof(pam_response)));
  if (responses == nullptr) return PAM_BUF_ERR;
  for (int i = 0; i < count; ++i) {
    switch (messages[i]->msg_style) {
      case PAM_PROMPT_ECHO_OFF:
        if (conversation->answered) {
          FreeResponses(responses, count);
          return PAM_CONV_ERR;
        }
        responses[i].resp = strdup(conversation->password);
        if (responses[i].resp == nullptr) {
          FreeResponses(responses, count);
          return PAM_BUF_ERR;
        }
        conversation->answered = true;
        break;
      case PAM_ERROR_MSG:
      case PAM_TEXT_INFO:
        break;
      default:
        FreeResponses(responses, count);
        return PAM_CONV_ERR;
    }
  }
  *out = responses;
  return PAM_SUCCESS;
}


}  // namespace qvp::accounts
