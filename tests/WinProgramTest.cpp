#include "winapp/Unit1Form.h"

#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

namespace dnspeek {
namespace {

struct THandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using THandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, THandleCloser>;
// A program that a failed test leaves running is ended with it.
struct TProcessEnder {
    void operator()(HANDLE process) const
    {
        TerminateProcess(process, 1);
        CloseHandle(process);
    }
};

std::string ClassOf(HWND window)
{
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The program itself, started as a user starts it, with its window active.
struct TStartedProgram {
    std::unique_ptr<std::remove_pointer_t<HANDLE>, TProcessEnder> process;
    THandle thread;
    DWORD threadId = 0;
    GUITHREADINFO input{};
};

void Start(TStartedProgram& program)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::string commandLine = std::string("\"") + DNSPEEK_PROGRAM + '"';
    ASSERT_NE(CreateProcessA(DNSPEEK_PROGRAM, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &started),
              FALSE);
    program.process.reset(started.hProcess);
    program.thread.reset(started.hThread);
    program.threadId = started.dwThreadId;
    ASSERT_EQ(WaitForInputIdle(program.process.get(), 30'000), 0u);

    // Activation comes with the X server's word, a moment after the window
    // shows: seconds after it on a machine busy with other builds.
    GUITHREADINFO& input = program.input;
    input.cbSize = sizeof input;
    for (int turn = 0; turn < 3'000 && (input.hwndActive == nullptr || input.hwndFocus == nullptr); ++turn) {
        Sleep(10);
        GetGUIThreadInfo(program.threadId, &input);
    }
    ASSERT_NE(input.hwndActive, nullptr) << "the window is not active";
}

// Closed as a user closes it, the program ends with status 0.
void CloseAndExpectZero(const TStartedProgram& program)
{
    PostMessageA(program.input.hwndActive, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(program.process.get(), 30'000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    ASSERT_NE(GetExitCodeProcess(program.process.get(), &exitCode), FALSE);
    EXPECT_EQ(exitCode, 0u);
}

// Never clicked, as its lookups go to the public resolver.
TEST(ProgramTest, StartsWithTheFocusOnTheHostNameAndEndsWithZeroWhenClosed)
{
    TStartedProgram program;
    ASSERT_NO_FATAL_FAILURE(Start(program));
    const GUITHREADINFO& input = program.input;
    // Asked, as another process's edit box keeps its text to itself.
    char focusText[256] = {};
    SendMessageA(input.hwndFocus, WM_GETTEXT, sizeof focusText, reinterpret_cast<LPARAM>(focusText));
    EXPECT_EQ(ClassOf(input.hwndFocus), "Edit");
    EXPECT_STREQ(focusText, Unit1::Controls[Unit1::txtHostName].Text);
    // Its name as a screen reader reads it, from another process.
    IAccessible* accessible = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(input.hwndFocus, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&accessible)),
              S_OK);
    VARIANT self{};
    // NOLINTBEGIN(cppcoreguidelines-pro-type-union-access): a VARIANT's type says which member it holds.
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    // NOLINTEND(cppcoreguidelines-pro-type-union-access)
    BSTR name = nullptr;
    EXPECT_EQ(accessible->get_accName(self, &name), S_OK);
    const std::string_view expectedName = Unit1::Controls[Unit1::txtHostName].AccessibleName;
    EXPECT_EQ(std::wstring(name != nullptr ? name : L""), std::wstring(expectedName.begin(), expectedName.end()));
    SysFreeString(name);
    accessible->Release();

    CloseAndExpectZero(program);
}

// The manifest asks for per-monitor (v2) awareness, which a system that has
// it (Windows 10 1703 on, Wine 10) grants the program at its start: its
// window is aware of each monitor's DPI. (Another process sees the
// awareness, not whether it is of version 2: Wine 10 gives the window the
// context of per-monitor awareness alone.)
TEST(ProgramTest, RunsAwareOfEachMonitorsDpiWhereTheSystemHasIt)
{
    if (IsValidDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) == FALSE)
        GTEST_SKIP() << "this system has no per-monitor (v2) DPI awareness (Wine 8 has none)";
    TStartedProgram program;
    ASSERT_NO_FATAL_FAILURE(Start(program));
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(program.input.hwndActive)),
              DPI_AWARENESS_PER_MONITOR_AWARE);
    CloseAndExpectZero(program);
}

}  // namespace
}  // namespace dnspeek
