#pragma once

#include <windows.h>

namespace dnspeek {

// Gives a control the name that screen readers say for it, where its own
// text does not name it (an edit box's text is what was typed, a list box
// has none). Read through Microsoft Active Accessibility, from this process
// or another; all else the control's standard accessible object answers.
//
// The control is subclassed while both live. Its window procedure is
// replaced by a Unicode one that passes every other message on. Unicode, as
// other processes' messages arrive in Unicode: Wine converts a list line for
// a procedure of the other character set through a buffer of 512
// characters, which a longer line overruns.
class TAccessibleName {
public:
    // `name` is ASCII and outlives this.
    TAccessibleName(HWND control, const char* name);
    ~TAccessibleName();
    TAccessibleName(const TAccessibleName&) = delete;
    TAccessibleName& operator=(const TAccessibleName&) = delete;

private:
    static LRESULT CALLBACK WindowProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    // The control's own window procedure back, and this out of its reach.
    void Detach();

    HWND control_;
    const char* name_;
    WNDPROC standardProc_;
};

}  // namespace dnspeek
