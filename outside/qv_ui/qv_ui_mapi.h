// Simple MAPI: the records and codes of the published interface, and the
// built-in "MAPI32.DLL" that this library registers with the platform layer.
// Its MAPISendMail delivers through the library's SMTP transport with the
// [eMail] settings of the program's settings file; with MAPI_DIALOG the user
// sees and may change the message in a compose dialog ("New Message": To,
// Subject, the text, the attachment; Send and Cancel) first.
#pragma once

#include "qvplatform.h"

typedef ULONG_PTR LHANDLE;
typedef LHANDLE* LPLHANDLE;
typedef ULONG FLAGS;

struct MapiRecipDesc {
  ULONG ulReserved;
  ULONG ulRecipClass;
  LPSTR lpszName;
  LPSTR lpszAddress;
  ULONG ulEIDSize;
  LPVOID lpEntryID;
};
typedef MapiRecipDesc* lpMapiRecipDesc;

struct MapiFileDesc {
  ULONG ulReserved;
  ULONG flFlags;
  ULONG nPosition;
  LPSTR lpszPathName;
  LPSTR lpszFileName;
  LPVOID lpFileType;
};
typedef MapiFileDesc* lpMapiFileDesc;

struct MapiMessage {
  ULONG ulReserved;
  LPSTR lpszSubject;
  LPSTR lpszNoteText;
  LPSTR lpszMessageType;
  LPSTR lpszDateReceived;
  LPSTR lpszConversationID;
  FLAGS flFlags;
  lpMapiRecipDesc lpOriginator;
  ULONG nRecipCount;
  lpMapiRecipDesc lpRecips;
  ULONG nFileCount;
  lpMapiFileDesc lpFiles;
};
typedef MapiMessage* lpMapiMessage;

#define SUCCESS_SUCCESS 0
#define MAPI_USER_ABORT 1
#define MAPI_E_FAILURE 2
#define MAPI_E_LOGIN_FAILURE 3
#define MAPI_E_INSUFFICIENT_MEMORY 5
#define MAPI_E_ATTACHMENT_NOT_FOUND 11
#define MAPI_E_UNKNOWN_RECIPIENT 14
#define MAPI_E_INVALID_SESSION 19
#define MAPI_E_INVALID_MESSAGE 17
#define MAPI_E_INVALID_RECIPS 25

#define MAPI_ORIG 0
#define MAPI_TO 1
#define MAPI_CC 2
#define MAPI_BCC 3

#define MAPI_LOGON_UI 0x00000001
#define MAPI_NEW_SESSION 0x00000002
#define MAPI_DIALOG 0x00000008

typedef HRESULT (*LPMAPIINITIALIZE)(LPVOID lpMapiInit);
typedef void (*LPMAPIUNINITIALIZE)(void);
typedef ULONG (*LPMAPILOGON)(ULONG_PTR ulUIParam, LPSTR lpszProfileName, LPSTR lpszPassword, FLAGS flFlags,
                             ULONG ulReserved, LPLHANDLE lplhSession);
typedef ULONG (*LPMAPILOGOFF)(LHANDLE lhSession, ULONG_PTR ulUIParam, FLAGS flFlags, ULONG ulReserved);
typedef ULONG (*LPMAPISENDMAIL)(LHANDLE lhSession, ULONG_PTR ulUIParam, lpMapiMessage lpMessage, FLAGS flFlags,
                                ULONG ulReserved);

// The compose dialog's controls, for the driver of tests.
#define QVUI_MAPI_TO 101
#define QVUI_MAPI_SUBJECT 102
#define QVUI_MAPI_TEXT 103
#define QVUI_MAPI_ATTACHMENT 104
