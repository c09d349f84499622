// Mail through SMTP: the QVUI_ calls that send one text message.
//
// The transport settings come from the [eMail] section of the program's
// settings file "QUORVANE.INI" in the program directory (section and key names
// without regard to case):
//   SMTPServer  host name or dotted address, optionally ":port" (default "mail",
//               port 25)
//   From        sender address (default "reports@quorvane.com")
//   ReplyTo     reply address (default: the sender)
//   Subject     subject for QVUI_SendMailBody (default "Quorvane Reports")
// The settings file is read at every call, never cached. [eMail] eMailType is
// not consulted: mail of either type goes out through this transport.
//
// The address list holds one or more addresses separated by ';' or ','; blanks
// around each are dropped and empty parts skipped. Each gets its own RCPT; the
// message goes out only when the server accepts every one of them (a list with
// one refused address sends nothing, so a retry never duplicates the mail for
// the others). An address (recipient, sender or reply address) holding a blank,
// a control character, '<' or '>' is refused, and so is a subject holding a
// carriage return or line feed: such text would forge commands or headers.
//
// The body is sent as text with CR LF line ends (a bare LF or CR becomes CR LF);
// a body with characters above 127 or lines longer than the transport allows
// goes out quoted-printable in the program's ANSI code page, otherwise as plain
// 7-bit text.
//
// The cancel flag, when not null, is read (atomically) between the steps of
// the dialogue and while waiting for the server, until the message text has
// been handed over; after that the call waits for the server's verdict, so a
// message the server took is never reported as not sent. A thread that sets
// the flag while a send runs should store it atomically (std::atomic_ref, or
// __atomic_store_n).
//
// Every failure also leaves one debug output line (OutputDebugStringA) naming
// the step and the server's reply.
#pragma once

#include "qvplatform.h"

// Results of the mail calls: 0 = the server accepted the message.
#define QVUI_MAIL_SENT 0
#define QVUI_MAIL_BAD_ADDRESS 1        // no recipient, or an address that is refused (above)
#define QVUI_MAIL_BAD_HEADER 2         // a subject holding CR or LF
#define QVUI_MAIL_BAD_SETTINGS 3       // SMTPServer empty, or a port that is not 1..65535
#define QVUI_MAIL_NO_NETWORK 4         // the socket library could not be started
#define QVUI_MAIL_HOST_NOT_FOUND 5     // the server's name does not resolve
#define QVUI_MAIL_CONNECT_FAILED 6     // the connection was refused or could not be made
#define QVUI_MAIL_TIMEOUT 7            // the server did not answer in time (or no connection in time)
#define QVUI_MAIL_CONNECTION_LOST 8    // the server closed the connection or it broke
#define QVUI_MAIL_PROTOCOL_ERROR 9     // the server's answer is not an SMTP reply
#define QVUI_MAIL_REFUSED_TEMPORARY 10 // the server answered 4xx (try again later)
#define QVUI_MAIL_REFUSED_PERMANENT 11 // the server answered 5xx, or an unexpected code
#define QVUI_MAIL_CANCELLED 12         // the cancel flag was set
#define QVUI_MAIL_NO_MEMORY 13         // memory ran out

// Sends `body` (null: empty) to `address` with the subject of [eMail] Subject.
// `owner` (a window or null) and the two reserved arguments (pass null) are
// not used. Returns one of the results above.
QV_API int QVUI_SendMailBody(HWND owner, const char* address, const char* reserved1,
                             const char* reserved2, const char* body, const volatile BYTE* cancel);

// The same with the subject given by the caller (null: [eMail] Subject, as
// above), so that a caller with its own subject never has to rewrite the
// settings file.
QV_API int QVUI_SendMailBodySubject(HWND owner, const char* address, const char* subject,
                                    const char* body, const volatile BYTE* cancel);
