// The like-for-like floor of the Windows program's start-up: a native window
// with the main form's six controls in their places, with their first texts
// and the form's font, built in code, served until it is closed. It imports
// what the program imports and carries its manifest (the common controls of
// the system's own look), so that what the program takes beyond it is its
// own. No form description and no lookup behind it; sizes are those at
// 96 dpi, where it is measured.

#include "bench/WinFloorWindow.h"

// WSOCK32, as the program's socket library.
#include <winsock.h>

#include <windows.h>

// After windows.h, which they need.
#include <commctrl.h>
#include <objbase.h>
#include <oleacc.h>

#include <memory>
#include <type_traits>

namespace {

struct TControl {
    const char* className;
    const char* text;
    DWORD style;
    DWORD exStyle;
    int left;
    int top;
    int width;
    int height;
};

// The form's controls in its order of creation, each as its native control.
const TControl Controls[] = {
    {"EDIT", "www.example.com", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 16, 16, 417, 21},
    {"BUTTON", "Button1", BS_PUSHBUTTON | WS_TABSTOP, 0, 176, 240, 75, 25},
    {STATUSCLASSNAMEA, "", SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0, 0, 273, 441, 19},
    {"LISTBOX", "", WS_VSCROLL | LBS_NOINTEGRALHEIGHT | WS_TABSTOP, WS_EX_CLIENTEDGE, 16, 48, 321, 185},
    {"LISTBOX", "", WS_VSCROLL | LBS_NOINTEGRALHEIGHT | WS_TABSTOP, WS_EX_CLIENTEDGE, 344, 48, 89, 185},
    {"EDIT", "15", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 288, 240, 73, 21},
};

struct TDeleteFont {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using TFont = std::unique_ptr<std::remove_pointer_t<HFONT>, TDeleteFont>;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // The program imports WSOCK32 for its lookups, so Wine loads it (and
    // WS2_32 behind it) before WinMain; an import needs a call. Starting and
    // ending Windows Sockets at once is the cheapest real one.
    WSADATA sockets;
    if (WSAStartup(MAKEWORD(1, 1), &sockets) != 0 || WSACleanup() != 0)
        return 1;
    // The same for ole32, OLEACC and OLEAUT32, which it imports for screen
    // readers: the COM apartment it starts, and the cheapest call of each of
    // the other two.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    SysFreeString(nullptr);
    if (GetRoleTextA(ROLE_SYSTEM_CLIENT, nullptr, 0) == 0)
        return 1;
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    if (InitCommonControlsEx(&classes) == FALSE)
        return 1;
    // The program's icon, from the same resources.
    const HWND window =
        dnspeek::bench::CreateFloorWindow(instance, "FormLikeWindow", LoadIconA(instance, MAKEINTRESOURCEA(1)));
    // "MS Sans Serif" of 8 points, 11 pixels at 96 dpi.
    const TFont font(CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
    if (window == nullptr || !font)
        return 1;
    for (const TControl& control : Controls) {
        const HWND handle = CreateWindowExA(control.exStyle, control.className, control.text,
                                            WS_CHILD | WS_VISIBLE | control.style, control.left, control.top,
                                            control.width, control.height, window, nullptr, instance, nullptr);
        if (handle == nullptr)
            return 1;
        SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    }
    dnspeek::bench::ShowAndServe(window);
    // While the font it uses still lives.
    DestroyWindow(window);
    CoUninitialize();
    return 0;
}
