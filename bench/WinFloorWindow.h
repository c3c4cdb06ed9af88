#pragma once

// What the Windows start-up floors share: a top-level window of the main
// form's place, size, style, caption and background, served until it is
// closed.

#include <windows.h>

namespace dnspeek::bench {

inline LRESULT CALLBACK FloorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The window, not yet shown, with `icon` in its frame (or none); null when
// it cannot be made.
inline HWND CreateFloorWindow(HINSTANCE instance, const char* className, HICON icon)
{
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = FloorWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // NOLINTNEXTLINE(performance-no-int-to-ptr): a system colour index stands for its brush.
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    if (RegisterClassExA(&windowClass) == 0)
        return nullptr;
    constexpr DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT frame{0, 0, 441, 292};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    return CreateWindowExA(0, className, "Form1", style, 103, 107, frame.right - frame.left,
                           frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
}

// Shows the window and serves it until it is closed.
inline void ShowAndServe(HWND window)
{
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace dnspeek::bench
