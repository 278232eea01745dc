// A notice to the user that needs no answer.
#pragma once

#include <optional>
#include <string>

namespace kvx::platform {

// Shows the header (may be absent) and the text and returns at once. With a
// graphical session (DISPLAY or WAYLAND_DISPLAY) a dialog program found on
// PATH (zenity, kdialog, xmessage) is started detached; without one, or when
// none can be started, both are written to standard error so that nothing is
// lost.
void displayNotice(const std::optional<std::string>& header, const std::string& text);

// Whether a graphical session is there to show a notice in (DISPLAY or WAYLAND_DISPLAY).
bool hasGraphicalSession();

// Whether standard error is a terminal someone may be reading.
bool standardErrorIsTerminal();

}  // namespace kvx::platform
