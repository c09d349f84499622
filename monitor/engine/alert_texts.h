// The texts of a raised alert: the messages the e-mail and pager channels
// send, and the detail fields the alert entry of the status log lists per
// channel.
#pragma once

#include <ctime>
#include <string>

#include "alert_dispatch.h"

// "An alert has been generated for profile ..." with at most 100 characters
// of the description and the date of the result change.
std::string AlertEmailMessage(const char* description, const AlertFacts& facts);

// How a pager is reached.
enum class PagerKind { kAlphanumeric, kNumeric, kWeb, kOther };

// A numeric page is the first four characters of the up or down id; any
// other page is "<description> (<host>) is Up|Down (hh:mm:ss)".
std::string AlertPagerMessage(PagerKind kind, const char* description, const AlertFacts& facts, const char* upId,
                              const char* downId);

// Detail fields of the alert entry.
std::string EmailChannelField(const char* address);
std::string AudioChannelField(bool playsWave, const char* waveFile);
std::string PagerChannelField(PagerKind kind, const char* telephone);
