// The data-source chooser shown to the user when the display is open.
#pragma once

#include <optional>
#include <string>

#include "qvplatform.h"
#include "qvplatform/ui_prompt.h"

namespace qvp::ui {

// Offers the data sources of `sources` ("name - driver" lines) with a user
// name and a password. OK answers IDOK and the connection string
// "DSN=name;UID=user;PWD=password" (an empty user or password is left out,
// values that need it are braced); Cancel, Esc and the close box answer
// IDCANCEL. Nothing when no display is open or the dialog cannot be made.
std::optional<PromptAnswer> ShowDataSourceChooserOnScreen(HWND owner, const std::string& caption,
                                                          const std::string& sources);

// A value as a connection string holds it: braced, with '}' doubled, when it
// has ';', a brace or spaces at either end.
std::string ConnectionValue(const std::string& value);

}  // namespace qvp::ui
