// The floor of the Windows program's start-up: a bare native window of the
// main form's size and style, with no controls, served until it is closed.

#include "bench/WinFloorWindow.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    const HWND window = dnspeek::bench::CreateFloorWindow(instance, "BareWindow", nullptr);
    if (window == nullptr)
        return 1;
    dnspeek::bench::ShowAndServe(window);
    return 0;
}
