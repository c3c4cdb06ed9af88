#include "lookup/LookupCommand.h"
#include "platform/Exception.h"
#include "platform/SocketLibrary.h"
#include "winapp/Application.h"
#include "winapp/Unit1.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Every lookup goes through Windows Sockets to the fixed resolver.
    // Declared first, the socket library outlives the window that uses it.
    dnspeek::TWinSocketLibrary Sockets;
    dnspeek::TApplication Application;
    try {
        Application.Initialize();
        Application.CreateForm(dnspeek::Form1, Sockets, dnspeek::ResolverEndpoint);
        Application.Run();
    } catch (const dnspeek::Exception& error) {
        dnspeek::TApplication::ShowException(error, nullptr);
    }
    return 0;
}
