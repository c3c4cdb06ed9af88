#include "Application.h"
#include "Text.h"
#include "Unit1.h"

int main(int argc, char* argv[])
{
    dnspeek::TApplication Application(argc, argv);
    try {
        Application.Initialize();
        Application.CreateForm(dnspeek::Form1);
        Application.Run();
    } catch (const dnspeek::Exception& error) {
        dnspeek::TApplication::ShowException(error);
    }
    return 0;
}
