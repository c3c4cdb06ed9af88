#include "app/Application.h"
#include "app/Unit1.h"
#include "lookup/LookupCommand.h"
#include "platform/Exception.h"
#include "platform/SocketLibrary.h"

int main(int argc, char* argv[])
{
    // Every lookup goes through POSIX sockets to the fixed resolver. Declared
    // first, the socket library outlives the window that uses it.
    dnspeek::TPosixSocketLibrary Sockets;
    dnspeek::TApplication Application(argc, argv);
    try {
        Application.Initialize();
        Application.CreateForm(dnspeek::Form1, Sockets, dnspeek::ResolverEndpoint);
        Application.Run();
    } catch (const dnspeek::Exception& error) {
        dnspeek::TApplication::ShowException(error);
    }
    return 0;
}
