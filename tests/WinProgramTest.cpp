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

// The program itself, started and closed as a user does; never clicked, as
// its lookups go to the public resolver.
TEST(ProgramTest, StartsWithTheFocusOnTheHostNameAndEndsWithZeroWhenClosed)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::string commandLine = std::string("\"") + DNSPEEK_PROGRAM + '"';
    ASSERT_NE(CreateProcessA(DNSPEEK_PROGRAM, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &started),
              FALSE);
    const std::unique_ptr<std::remove_pointer_t<HANDLE>, TProcessEnder> process(started.hProcess);
    const THandle thread(started.hThread);
    ASSERT_EQ(WaitForInputIdle(process.get(), 30'000), 0u);

    // Activation comes with the X server's word, a moment after the window shows.
    GUITHREADINFO input{};
    input.cbSize = sizeof input;
    for (int turn = 0; turn < 300 && (input.hwndActive == nullptr || input.hwndFocus == nullptr); ++turn) {
        Sleep(10);
        GetGUIThreadInfo(started.dwThreadId, &input);
    }
    ASSERT_NE(input.hwndActive, nullptr) << "the window is not active";
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

    PostMessageA(input.hwndActive, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(process.get(), 30'000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    ASSERT_NE(GetExitCodeProcess(process.get(), &exitCode), FALSE);
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
}  // namespace dnspeek
