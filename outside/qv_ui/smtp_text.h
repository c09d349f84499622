// The text side of a mail: address lists, the header block and the body as
// they go over the wire. No network here.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace qvui::smtp {

// The parts of an address list split on ';' and ',', blanks around each
// dropped and empty parts skipped, in their order.
std::vector<std::string> SplitAddresses(const char* list);

// True when `address` can stand in an SMTP path "<address>" and a header: not
// empty, and no blank, control character, '<' or '>'.
bool IsUsableAddress(const std::string& address);

// True when a header value holds neither CR nor LF (nor NUL by construction).
bool IsUsableHeaderValue(const std::string& value);

// The date header's value for the given moment in the local time zone,
// "Wed, 09 Dec 2026 08:15:02 +0100".
std::string FormatMailDate(std::time_t when);

// The body with CR LF line ends (a bare LF, or a CR not followed by LF, ends a
// line), every line that begins with '.' given one more, ending in CR LF; the
// text the DATA command sends before the closing ".".
std::string WireBody(const std::string& body);

// True when the body needs quoted-printable: a character above 127, or a line
// longer than the 998 characters a transport line may hold.
bool NeedsQuotedPrintable(const std::string& body);

// The body in quoted-printable with CR LF line ends (line breaks as in
// WireBody), soft breaks keeping every line within 76 characters.
std::string QuotedPrintable(const std::string& body);

// A header value that may hold characters above 127 or be too long for one
// line: plain text when neither, else encoded words in `charset`, folded.
std::string EncodeHeaderText(const std::string& text, const char* charset);

// One message to send.
struct Message {
  std::string from;                     // sender address (envelope and header)
  std::string reply_to;                 // reply address
  std::vector<std::string> recipients;  // envelope and To header
  std::string subject;
  std::string body;
  std::string message_id;  // "<...@...>"
  std::time_t date = 0;
  // One file sent along as a base64 part of a multipart/mixed message (none
  // when the name is empty).
  std::string attachment_name;
  std::string attachment_data;
};

// Base64 of `data` in lines of 76 characters, each ended by CR LF.
std::string Base64Lines(const std::string& data);

// The whole DATA text (headers, blank line, body), CR LF lines, dot-stuffed,
// without the closing ".".
std::string WireMessage(const Message& message);

// A fresh message id "<time.random@domain>".
std::string MakeMessageId(const std::string& domain);

// The domain part of an address (after the last '@'), or empty.
std::string DomainOf(const std::string& address);

}  // namespace qvui::smtp
