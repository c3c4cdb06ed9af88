#include "winapp/Application.h"

#include "platform/Exception.h"

#include <commctrl.h>
#include <objbase.h>

namespace dnspeek {

namespace {

// Enter presses a focused push button once, as Space does, and does nothing
// anywhere else: the form has no default button. Taken before the dialog
// manager sees it, which would otherwise press a button on each repeat of a
// held key, or send IDOK to the form.
bool TakeEnter(const MSG& message)
{
    if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN)
        return false;
    constexpr LPARAM Repeated = 1 << 30;
    const auto code = SendMessageA(message.hwnd, WM_GETDLGCODE, 0, 0);
    const bool pushButton = (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
    if (pushButton && (message.lParam & Repeated) == 0)
        SendMessageA(message.hwnd, BM_CLICK, 0, 0);
    return true;
}

}  // namespace

TApplication::TComApartment::TComApartment()
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        throw Exception("COM is not available.");
}

TApplication::TComApartment::~TComApartment()
{
    CoUninitialize();
}

void TApplication::Initialize()
{
    apartment_.emplace();
    // The status bar's window class.
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    if (InitCommonControlsEx(&classes) == FALSE)
        throw Exception("The common controls are not available.");
}

void TApplication::Run()
{
    const HWND window = mainForm_->Handle();
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        Serve(message);
}

void TApplication::ProcessMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
        if (message.message == WM_QUIT) {
            // Left for Run, which ends on it.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Serve(message);
    }
}

// Tab and the arrow keys move the focus between the controls of the form the
// message is for, as in a dialog box.
void TApplication::Serve(MSG& message)
{
    if (TakeEnter(message))
        return;
    const HWND form = GetAncestor(message.hwnd, GA_ROOT);
    if (form != nullptr && IsDialogMessageA(form, &message) != FALSE)
        return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

void TApplication::ShowException(const std::exception& error, HWND owner)
{
    MessageDlg(owner, error.what());
}

// Owned, the box disables the form until it is closed, so that no click
// starts a lookup from inside the box's own message loop, and gives the form
// back its activation and focus after.
void MessageDlg(HWND owner, const ByteString& text)
{
    MessageBoxA(owner, text.c_str(), ApplicationTitle, MB_ICONERROR | MB_OK);
}

}  // namespace dnspeek
