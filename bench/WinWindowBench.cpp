// The Windows program's figures, each against its floor:
//   dnspeek_win_bench DNSPEEK.EXE FORM_LIKE_WINDOW.EXE BARE_WINDOW.EXE
// The size of the program against a bare window's built the same way; in
// turns, its start-up until its window is idle against a window with the
// form's controls built in code, which imports what the program imports,
// and against the bare window, for reference; and a click that fills
// ListBox2's 2048 lines, painted, against the same lines added to a bare list
// box the same way. Prints the median of each and the ratio of the medians,
// and fails when a run went wrong.

#include "lookup/DnsMessage.h"
#include "platform/SocketLibrary.h"
#include "tests/support/Fakes.h"
#include "tests/support/Replies.h"
#include "winapp/Application.h"
#include "winapp/Unit1.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dnspeek {
namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

// Odd, for a median; many, for a machine that is busy with other work.
constexpr int Rounds = 21;

struct TFigure {
    const char* name;
    const char* target;
    std::vector<double> measured;
    std::vector<double> floor;
};

double Median(std::vector<double> values)
{
    std::ranges::sort(values);
    return values[values.size() / 2];
}

// The medians, and the fastest of each, which a busy machine disturbs least.
void Print(const TFigure& figure)
{
    const double measured = Median(figure.measured);
    const double floor = Median(figure.floor);
    const double fastest = std::ranges::min(figure.measured);
    const double fastestFloor = std::ranges::min(figure.floor);
    (void)std::printf("%-10s %9.2f ms  floor %9.2f ms  ratio %5.2f  (target %s)\n", figure.name, measured, floor,
                measured / floor, figure.target);
    (void)std::printf("%-10s %9.2f ms  floor %9.2f ms  ratio %5.2f  (fastest of %d)\n", "", fastest, fastestFloor,
                fastest / fastestFloor, Rounds);
}

std::optional<double> FileSize(const std::string& file)
{
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &attributes) == FALSE)
        return std::nullopt;
    return static_cast<double>((std::uint64_t{attributes.nFileSizeHigh} << 32) | attributes.nFileSizeLow);
}

BOOL CALLBACK CloseThreadWindow(HWND window, LPARAM)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// Starts a program and waits until its window is shown and it waits for
// input with none pending; then closes its windows and waits for it to end.
std::optional<double> StartUntilIdle(const std::string& program)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = '"' + program + '"';
    const auto start = Clock::now();
    if (CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)
        == FALSE)
        return std::nullopt;
    const bool idle = WaitForInputIdle(process.hProcess, 30000) == 0;
    const auto end = Clock::now();
    EnumThreadWindows(process.dwThreadId, CloseThreadWindow, 0);
    const bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!idle || !ended)
        return std::nullopt;
    return Milliseconds(end - start).count();
}

// The program and each floor in turns; the program's runs count for both.
bool MeasureStartUp(TFigure& formLike, TFigure& bare, const std::string& program,
                    const std::string& formLikeWindow, const std::string& bareWindow)
{
    for (int round = 0; round < Rounds; ++round) {
        const std::optional<double> measured = StartUntilIdle(program);
        const std::optional<double> formLikeFloor = StartUntilIdle(formLikeWindow);
        const std::optional<double> bareFloor = StartUntilIdle(bareWindow);
        if (!measured || !formLikeFloor || !bareFloor)
            return false;
        formLike.measured.push_back(*measured);
        formLike.floor.push_back(*formLikeFloor);
        bare.measured.push_back(*measured);
        bare.floor.push_back(*bareFloor);
    }
    return true;
}

double Time(const std::function<void()>& action)
{
    const auto start = Clock::now();
    action();
    return Milliseconds(Clock::now() - start).count();
}

// The main window with a socket library that answers every click with the
// same reply, against a bare list box of ListBox2's place and font.
bool MeasureClick(TFigure& figure)
{
    test::TFakeSocketLibrary sockets;
    TForm1 form(sockets, TEndpoint{"127.0.0.1", 53});
    ShowWindow(form.Handle(), SW_SHOW);
    const HWND ListBox2 = form.Control(Unit1::ListBox2);
    RECT place;
    GetWindowRect(ListBox2, &place);
    const HWND bare = CreateWindowExA(0, "LISTBOX", "", WS_POPUP | WS_VISIBLE | WS_BORDER | WS_VSCROLL, place.left,
                                      place.top + 300, place.right - place.left, place.bottom - place.top, nullptr,
                                      nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(bare, WM_SETFONT, static_cast<WPARAM>(SendMessageA(ListBox2, WM_GETFONT, 0, 0)), FALSE);
    std::vector<std::string> lines;
    for (const std::uint8_t byte : test::InReplyBuffer(test::AbCdeMxReply(test::MxExchange)))
        lines.push_back(std::to_string(byte));
    TApplication::ProcessMessages();

    for (int round = 0; round < Rounds; ++round) {
        sockets.replies = {test::AbCdeMxReply(test::MxExchange)};
        figure.measured.push_back(Time([&] {
            SendMessageA(form.Control(Unit1::Button1), BM_CLICK, 0, 0);
            RedrawWindow(form.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        }));
        figure.floor.push_back(Time([&] {
            SendMessageA(bare, LB_RESETCONTENT, 0, 0);
            SendMessageA(bare, LB_INITSTORAGE, lines.size(), LPARAM{4} * 2048);
            SendMessageA(bare, WM_SETREDRAW, FALSE, 0);
            for (const std::string& line : lines)
                SendMessageA(bare, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
            SendMessageA(bare, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(bare, nullptr, TRUE);
            UpdateWindow(bare);
        }));
        TApplication::ProcessMessages();
    }
    const bool listed = SendMessageA(ListBox2, LB_GETCOUNT, 0, 0) == 2048
        && SendMessageA(bare, LB_GETCOUNT, 0, 0) == 2048;
    DestroyWindow(bare);
    return listed;
}

}  // namespace
}  // namespace dnspeek

int main(int argc, char* argv[])
{
    using namespace dnspeek;
    if (argc != 4) {
        (void)std::fprintf(stderr, "usage: %s DNSPEEK.EXE FORM_LIKE_WINDOW.EXE BARE_WINDOW.EXE\n", argv[0]);
        return 2;
    }
    const std::optional<double> size = FileSize(argv[1]);
    const std::optional<double> floorSize = FileSize(argv[3]);
    if (!size || !floorSize) {
        (void)std::fprintf(stderr, "%s or %s cannot be read\n", argv[1], argv[3]);
        return 1;
    }
    (void)std::printf("%-10s %9.0f kB  floor %9.0f kB  ratio %5.2f\n", "size", *size / 1024, *floorSize / 1024,
                *size / *floorSize);
    TApplication application;
    application.Initialize();
    TFigure startUp{"start-up", "ratio <= 1.2, against the form's controls built in code", {}, {}};
    TFigure bareStartUp{"start-up", "none, against a bare window, for reference", {}, {}};
    TFigure click{"click", "ratio <= 1.5 and under 16.7 ms", {}, {}};
    if (!MeasureStartUp(startUp, bareStartUp, argv[1], argv[2], argv[3]) || !MeasureClick(click)) {
        (void)std::fprintf(stderr, "a run went wrong: a program did not start and end, or a list missed lines\n");
        return 1;
    }
    Print(startUp);
    Print(bareStartUp);
    Print(click);
    return 0;
}
