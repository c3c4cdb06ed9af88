#pragma once

#include <windows.h>

namespace dnspeek {

// Gives a control the name that screen readers say for it, where its own
// text does not name it (an edit box's text is what was typed, a list box
// has none). Read through Microsoft Active Accessibility, from this process
// or another; all else the control's standard accessible object answers.
// `name` is ASCII and lives as long as the program.
void GiveAccessibleName(HWND control, const char* name);

}  // namespace dnspeek
