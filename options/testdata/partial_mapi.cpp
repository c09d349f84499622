// A mail library for the support mail tests that lacks one of the five Simple
// MAPI entry points (MAPILogoff). Every call it takes is counted, so a test
// can see that nothing was handed to it.
#include "qv_ui_mapi.h"

namespace {

int g_calls = 0;

}  // namespace

QV_API int PartialMapiCalls() { return g_calls; }

QV_API HRESULT MAPIInitialize(LPVOID) {
  ++g_calls;
  return 0;
}

QV_API void MAPIUninitialize() { ++g_calls; }

QV_API ULONG MAPILogon(ULONG_PTR, LPSTR, LPSTR, FLAGS, ULONG, LPLHANDLE session) {
  ++g_calls;
  *session = 1;
  return SUCCESS_SUCCESS;
}

QV_API ULONG MAPISendMail(LHANDLE, ULONG_PTR, lpMapiMessage, FLAGS, ULONG) {
  ++g_calls;
  return SUCCESS_SUCCESS;
}
