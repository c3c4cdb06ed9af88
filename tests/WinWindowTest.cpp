#include "lookup/DnsMessage.h"
#include "tests/support/Fakes.h"
#include "tests/support/Replies.h"
#include "winapp/AccessibleName.h"
#include "winapp/Application.h"
#include "winapp/Unit1.h"

#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

inline void PrintTo(const RECT& rect, std::ostream* out)
{
    *out << rect.left << ',' << rect.top << ' ' << rect.right - rect.left << 'x' << rect.bottom - rect.top;
}
inline bool operator==(const RECT& left, const RECT& right)
{
    return EqualRect(&left, &right) != FALSE;
}

namespace dnspeek {
namespace {

// The DPI this run is for: CTest runs the layout once more in a Wine prefix
// set to 192 dpi.
int ExpectedDpi()
{
    const char* dpi = std::getenv("DNSPEEK_EXPECT_DPI");
    return dpi != nullptr ? static_cast<int>(std::strtol(dpi, nullptr, 10)) : USER_DEFAULT_SCREEN_DPI;
}

int Scaled(int pixelsAt96Dpi, int dpi = ExpectedDpi())
{
    return MulDiv(pixelsAt96Dpi, dpi, USER_DEFAULT_SCREEN_DPI);
}

RECT Rectangle(int left, int top, int width, int height, int dpi = ExpectedDpi())
{
    return {Scaled(left, dpi), Scaled(top, dpi), Scaled(left + width, dpi), Scaled(top + height, dpi)};
}

// The whole text of a window, however long.
std::string Text(HWND window)
{
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Read in Unicode, as the lists' window procedure is: under Wine an ANSI
// read of a line over 511 characters overruns Wine's conversion buffer.
std::vector<std::string> Lines(HWND listBox)
{
    std::vector<std::string> lines;
    const auto count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
    for (WPARAM line = 0; line < static_cast<WPARAM>(count); ++line) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(listBox, LB_GETTEXTLEN, line, 0)), L'\0');
        SendMessageW(listBox, LB_GETTEXT, line, reinterpret_cast<LPARAM>(text.data()));
        const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                             nullptr, nullptr);
        std::string bytes(static_cast<std::size_t>(size), '\0');
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                            nullptr);
        lines.push_back(bytes);
    }
    return lines;
}

// The face and measures of the font a device context draws with.
struct TDrawnFont {
    std::string face;
    LONG height;
    LONG internalLeading;
    LONG averageWidth;
    LONG weight;
    BYTE charSet;

    bool operator==(const TDrawnFont&) const = default;
};

void PrintTo(const TDrawnFont& font, std::ostream* out)
{
    *out << font.face << ' ' << font.height << " (" << font.internalLeading << ") " << font.averageWidth << ' '
         << font.weight << ' ' << int{font.charSet};
}

// What the system draws with for `font`, which a missing face or size
// silently replaces.
TDrawnFont DrawnFont(HDC context, HFONT font)
{
    const HGDIOBJ previous = SelectObject(context, font);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(context, sizeof face, face);
    TEXTMETRICA metrics{};
    GetTextMetricsA(context, &metrics);
    SelectObject(context, previous);
    return {face,           metrics.tmHeight, metrics.tmInternalLeading, metrics.tmAveCharWidth,
            metrics.tmWeight, metrics.tmCharSet};
}

// The form's font, 8-point MS Sans Serif (11 pixels at 96 dpi), as the
// system draws it at `dpi`.
TDrawnFont FormFontAt(HDC context, int dpi)
{
    const HFONT described = CreateFontA(-Scaled(11, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                        DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
    TDrawnFont drawn = DrawnFont(context, described);
    DeleteObject(described);
    return drawn;
}

HFONT FontOf(HWND control)
{
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the font comes as the message's result.
    return reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
}

// What a modal box showed before it was closed.
struct TBox {
    std::string caption;
    std::string text;
    bool errorIcon;
    int buttons;
    HWND owner;
    bool ownerEnabled;
};

std::vector<TBox>* BoxesSeen = nullptr;

// Keeps what a visible dialog box of this thread shows and closes it with
// OK, as a user would.
BOOL CALLBACK CloseDialogBox(HWND window, LPARAM)
{
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770" || IsWindowVisible(window) == FALSE)
        return TRUE;
    const HWND owner = GetWindow(window, GW_OWNER);
    TBox box{Text(window), {}, false, 0, owner, owner != nullptr && IsWindowEnabled(owner) != FALSE};
    char text[256] = {};
    GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
    box.text = text;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        GetClassNameA(child, className, sizeof className);
        if (std::string(className) == "Button")
            ++box.buttons;
        // NOLINTNEXTLINE(performance-no-int-to-ptr): the icon comes as the message's result.
        const auto* const icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        box.errorIcon = box.errorIcon || (icon != nullptr && icon == LoadIconA(nullptr, IDI_ERROR));
    }
    BoxesSeen->push_back(box);
    SendMessageA(window, WM_COMMAND, IDOK, 0);
    return FALSE;
}

void CALLBACK CloseBoxes(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), CloseDialogBox, 0);
}

std::vector<TBox> CloseBoxesDuring(const std::function<void()>& action)
{
    std::vector<TBox> boxes;
    BoxesSeen = &boxes;
    // Its ticks come in every message loop, a box's included.
    const UINT_PTR timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, CloseBoxes);
    action();
    KillTimer(nullptr, timer);
    BoxesSeen = nullptr;
    return boxes;
}

// The message of the error that the lookup raises for these texts.
std::string ErrorFor(const std::string& hostText, const std::string& typeText)
{
    try {
        (void)BuildQuery(hostText, typeText);
    } catch (const Exception& error) {
        return error.what();
    }
    return {};
}

class TForm1Test : public testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm1>(sockets, TEndpoint{"127.0.0.1", 53});
        ShowWindow(form->Handle(), SW_SHOW);
        SetForegroundWindow(form->Handle());
        // The X server's word that the window is active comes later; until
        // then a key could go to a focus that activation moves again. It can
        // take seconds on a machine busy with other builds.
        for (int turn = 0; turn < 2'000 && GetForegroundWindow() != form->Handle(); ++turn) {
            Sleep(10);
            TApplication::ProcessMessages();
        }
        ASSERT_EQ(GetForegroundWindow(), form->Handle());
        TApplication::ProcessMessages();
        for (std::size_t index = 0; index < Unit1::ControlCount; ++index)
            ASSERT_NE(Control(static_cast<Unit1::TControlIndex>(index)), nullptr) << index;
    }

    [[nodiscard]] HWND Control(Unit1::TControlIndex control) const { return form->Control(control); }

    void SetText(Unit1::TControlIndex control, const std::string& text) const
    {
        SendMessageA(Control(control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    void Click() const { SendMessageA(Control(Unit1::Button1), BM_CLICK, 0, 0); }

    // A key as the keyboard sends it to the control with the focus.
    static void Press(UINT message, WPARAM key, bool repeated = false)
    {
        const LPARAM repeatBit = repeated ? LPARAM{1} << 30 : 0;
        const LPARAM upBits = message == WM_KEYUP ? LPARAM{3} << 30 : 0;
        PostMessageA(GetFocus(), message, key, 1 | repeatBit | upBits);
        TApplication::ProcessMessages();
    }

    [[nodiscard]] RECT PlaceOf(HWND control) const
    {
        RECT place;
        GetWindowRect(control, &place);
        MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&place), 2);
        return place;
    }

    void ExpectControlsInTheirPlaces(int dpi = ExpectedDpi()) const
    {
        const std::pair<Unit1::TControlIndex, RECT> places[] = {
            {Unit1::txtHostName, Rectangle(16, 16, 417, 21, dpi)}, {Unit1::Button1, Rectangle(176, 240, 75, 25, dpi)},
            {Unit1::ListBox1, Rectangle(16, 48, 321, 185, dpi)},   {Unit1::ListBox2, Rectangle(344, 48, 89, 185, dpi)},
            {Unit1::Edit1, Rectangle(288, 240, 73, 21, dpi)},
        };
        for (const auto& [control, place] : places)
            EXPECT_EQ(PlaceOf(Control(control)), place) << Unit1::Controls[control].Name;
        RECT client;
        GetClientRect(form->Handle(), &client);
        EXPECT_EQ(PlaceOf(Control(Unit1::StatusBar1)),
                  (RECT{0, client.bottom - Scaled(19, dpi), client.right, client.bottom}));
    }

    test::TFakeSocketLibrary sockets;
    std::unique_ptr<TForm1> form;
};

TEST_F(TForm1Test, StartsWithTypeFifteenAndNothingElseShown)
{
    EXPECT_EQ(Text(form->Handle()), "Form1");
    const std::string host = Text(Control(Unit1::txtHostName));
    EXPECT_EQ(std::count(host.begin(), host.end(), '.'), 2) << host;
    EXPECT_EQ(Text(Control(Unit1::Edit1)), "15");
    EXPECT_EQ(Text(Control(Unit1::Button1)), "Button1");
    // No default button: the dialog manager would draw it with a thick frame.
    EXPECT_EQ(SendMessageA(Control(Unit1::Button1), WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON),
              LRESULT{DLGC_UNDEFPUSHBUTTON});
    EXPECT_EQ(Text(Control(Unit1::StatusBar1)), "");
    EXPECT_TRUE(Lines(Control(Unit1::ListBox1)).empty());
    EXPECT_TRUE(Lines(Control(Unit1::ListBox2)).empty());
}

// At 96 dpi the form description's pixels; at 192 dpi twice them, with the
// texts inside their controls.
TEST_F(TForm1Test, LayoutFontAndTextsHoldAtTheWindowsDpi)
{
    const HDC screen = GetDC(form->Handle());
    ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSY), ExpectedDpi()) << "the program is not DPI-aware";
    RECT client;
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client, Rectangle(0, 0, 441, 292));
    // The frame around that client area is the system's for the window's own style.
    RECT outer = client;
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongA(form->Handle(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(form->Handle(), GWL_EXSTYLE)));
    OffsetRect(&outer, Scaled(103) - outer.left, Scaled(107) - outer.top);
    RECT frame;
    GetWindowRect(form->Handle(), &frame);
    EXPECT_EQ(frame, outer);
    ExpectControlsInTheirPlaces();
    EXPECT_EQ(GetClassLongPtrA(form->Handle(), GCLP_HBRBACKGROUND), ULONG_PTR{COLOR_BTNFACE + 1});

    const TDrawnFont formFont = FormFontAt(screen, ExpectedDpi());
    form->SetStatusText("Windows Sockets can not be closed.");
    SetText(Unit1::txtHostName, "www.example.com");
    for (const Unit1::TControlIndex control :
         {Unit1::txtHostName, Unit1::Button1, Unit1::StatusBar1, Unit1::ListBox1, Unit1::ListBox2, Unit1::Edit1}) {
        SCOPED_TRACE(Unit1::Controls[control].Name);
        const HFONT font = FontOf(Control(control));
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(DrawnFont(screen, font), formFont);
        const HGDIOBJ previous = SelectObject(screen, font);
        const std::string text = Text(Control(control));
        SIZE extent;
        GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &extent);
        SelectObject(screen, previous);
        RECT inside;
        GetClientRect(Control(control), &inside);
        EXPECT_LE(extent.cx, inside.right);
        EXPECT_LE(extent.cy, inside.bottom);
    }
    for (const Unit1::TControlIndex listBox : {Unit1::ListBox1, Unit1::ListBox2})
        EXPECT_EQ(SendMessageA(Control(listBox), LB_GETITEMHEIGHT, 0, 0), Scaled(13));
    ReleaseDC(form->Handle(), screen);
}

TEST_F(TForm1Test, ResizingMovesOnlyTheStatusBar)
{
    for (const SIZE size : {SIZE{640, 480}, SIZE{300, 200}, SIZE{449, 319}}) {
        SCOPED_TRACE(testing::Message() << size.cx << 'x' << size.cy);
        SetWindowPos(form->Handle(), nullptr, 0, 0, Scaled(size.cx), Scaled(size.cy), SWP_NOMOVE | SWP_NOZORDER);
        ExpectControlsInTheirPlaces();
    }
}

TEST_F(TForm1Test, TabVisitsTheControlsInTheFormsOrder)
{
    SetFocus(Control(Unit1::txtHostName));
    std::vector<std::string> visited;
    for (int step = 0; step < 5; ++step) {
        Press(WM_KEYDOWN, VK_TAB);
        std::string name = "<no control>";
        for (std::size_t index = 0; index < Unit1::ControlCount; ++index)
            if (GetFocus() == Control(static_cast<Unit1::TControlIndex>(index)))
                name = Unit1::Controls[index].Name;
        visited.push_back(name);
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"Button1", "ListBox1", "ListBox2", "Edit1", "txtHostName"}));
}

TEST_F(TForm1Test, EnterInAnEditBoxStartsNothing)
{
    for (const Unit1::TControlIndex edit : {Unit1::txtHostName, Unit1::Edit1}) {
        SetFocus(Control(edit));
        Press(WM_KEYDOWN, VK_RETURN);
    }
    EXPECT_EQ(sockets.starts, 0);
    EXPECT_TRUE(Lines(Control(Unit1::ListBox1)).empty());
}

// cppcheck does not see the fields read through GetParam().
struct TKeyPresses {
    const char* name;
    std::vector<std::pair<UINT, bool>> keys;  // cppcheck-suppress unusedStructMember
    WPARAM key;                               // cppcheck-suppress unusedStructMember
};

void PrintTo(const TKeyPresses& presses, std::ostream* out)
{
    *out << presses.name;
}

class TForm1KeyTest : public TForm1Test, public testing::WithParamInterface<TKeyPresses> {};

TEST_P(TForm1KeyTest, AFocusedButton1IsPressedOncePerPress)
{
    SetFocus(Control(Unit1::Button1));
    for (const auto& [message, repeated] : GetParam().keys)
        Press(message, GetParam().key, repeated);

    EXPECT_EQ(sockets.starts, 1);
    EXPECT_EQ(Lines(Control(Unit1::ListBox1)).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TForm1KeyTest,
    testing::Values(TKeyPresses{"Enter", {{WM_KEYDOWN, false}, {WM_KEYUP, false}}, VK_RETURN},
                    TKeyPresses{"EnterHeld", {{WM_KEYDOWN, false}, {WM_KEYDOWN, true}, {WM_KEYDOWN, true}}, VK_RETURN},
                    TKeyPresses{"Space", {{WM_KEYDOWN, false}, {WM_KEYUP, false}}, VK_SPACE},
                    TKeyPresses{"SpaceHeld", {{WM_KEYDOWN, false}, {WM_KEYDOWN, true}, {WM_KEYUP, false}}, VK_SPACE}),
    [](const testing::TestParamInfo<TKeyPresses>& presses) { return std::string(presses.param.name); });

TEST_F(TForm1Test, EachClickAddsALineBelowAndListsTheWholeReplyFromItsTop)
{
    sockets.replies = {test::AbCdeMxReply(test::MxExchange), test::AbCdeMxReply(test::MxExchange)};
    SetText(Unit1::txtHostName, "ab.cde");
    Click();

    EXPECT_EQ(Lines(Control(Unit1::ListBox1)), std::vector<std::string>{"Search : ab.cde....   Find : mx.ab.cde"});
    const std::vector<std::string> reply = Lines(Control(Unit1::ListBox2));
    ASSERT_EQ(reply.size(), 2048u);
    EXPECT_EQ(reply[0], "17");
    EXPECT_EQ(reply[1], "223");
    EXPECT_EQ(reply[2047], "0");
    EXPECT_EQ(Text(Control(Unit1::StatusBar1)), "Windows Sockets is closed.");
    // Appending neither picks a line nor scrolls to it.
    for (const Unit1::TControlIndex listBox : {Unit1::ListBox1, Unit1::ListBox2}) {
        EXPECT_EQ(SendMessageA(Control(listBox), LB_GETCURSEL, 0, 0), LB_ERR);
        EXPECT_EQ(SendMessageA(Control(listBox), LB_GETTOPINDEX, 0, 0), 0);
    }

    // A byte of this reply picked and scrolled to is gone with the next.
    SendMessageA(Control(Unit1::ListBox2), LB_SETCURSEL, 2000, 0);
    SetText(Unit1::Edit1, "1");
    Click();

    EXPECT_EQ(Lines(Control(Unit1::ListBox1)),
              (std::vector<std::string>{"Search : ab.cde....   Find : mx.ab.cde", "Search : ab.cde....   Find : ab.cde"}));
    EXPECT_EQ(Lines(Control(Unit1::ListBox2)).size(), 2048u);
    EXPECT_EQ(SendMessageA(Control(Unit1::ListBox2), LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(SendMessageA(Control(Unit1::ListBox2), LB_GETTOPINDEX, 0, 0), 0);
}

// The bytes typed are the bytes looked up, all of them, and a status text
// shows as its bytes: texts are strings of the ANSI code page.
TEST_F(TForm1Test, TextsCrossAsAnsiBytes)
{
    SetText(Unit1::txtHostName, "b\xFC" "cher.example");
    form->SetStatusText("\xE9t\xE9");
    // Pasted over the whole text, beyond an edit box's default 30000 characters.
    const std::string pasted = std::string(39'998, '0') + "15";
    SendMessageA(Control(Unit1::Edit1), EM_SETSEL, 0, -1);
    SendMessageA(Control(Unit1::Edit1), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(pasted.c_str()));

    EXPECT_EQ(form->HostNameText(), "b\xFC" "cher.example");
    EXPECT_EQ(Text(Control(Unit1::StatusBar1)), "\xE9t\xE9");
    EXPECT_EQ(form->QueryTypeText(), pasted);
}

TEST_F(TForm1Test, ErrorOfAClickGoesToTheErrorBoxAndTheWindowStaysUsable)
{
    sockets.replies = {test::AbCdeMxReply(test::MxExchange)};
    SetText(Unit1::txtHostName, "ab.cde");
    SetText(Unit1::Edit1, "abc");

    const std::vector<TBox> boxes = CloseBoxesDuring([this] { Click(); });

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "dnspeek");
    EXPECT_EQ(boxes[0].text, ErrorFor("ab.cde", "abc"));
    EXPECT_TRUE(boxes[0].errorIcon);
    EXPECT_EQ(boxes[0].buttons, 1);
    EXPECT_TRUE(sockets.sent.empty());
    EXPECT_TRUE(Lines(Control(Unit1::ListBox1)).empty());
    EXPECT_EQ(Text(Control(Unit1::StatusBar1)), "");

    SetText(Unit1::Edit1, "15");
    EXPECT_TRUE(CloseBoxesDuring([this] { Click(); }).empty());
    EXPECT_EQ(Lines(Control(Unit1::ListBox1)), std::vector<std::string>{"Search : ab.cde....   Find : mx.ab.cde"});
}

TEST_F(TForm1Test, FailedStartShowsOneBoxAndAddsAnEmptyLineBeforeAnyConversion)
{
    sockets.startResult = WSASYSNOTREADY;
    SetText(Unit1::Edit1, "abc");

    const std::vector<TBox> boxes = CloseBoxesDuring([this] { Click(); });

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "dnspeek");
    EXPECT_EQ(boxes[0].text, "Windows Socket is not responded.");
    EXPECT_TRUE(boxes[0].errorIcon);
    EXPECT_EQ(boxes[0].buttons, 1);
    EXPECT_EQ(Text(Control(Unit1::StatusBar1)), "Windows Sockets is not available.");
    EXPECT_EQ(Lines(Control(Unit1::ListBox1)), std::vector<std::string>{"Search : ....   Find : "});
    EXPECT_TRUE(Lines(Control(Unit1::ListBox2)).empty());
}

// Moved to a monitor of another scale, the form lays itself out for it:
// places, font, list lines and status bar, in the rectangle suggested.
TEST_F(TForm1Test, AChangeOfDpiLaysTheFormOutAgain)
{
    RECT frame;
    GetWindowRect(form->Handle(), &frame);
    for (const int dpi : {144, 192, USER_DEFAULT_SCREEN_DPI}) {
        SCOPED_TRACE(testing::Message() << dpi << " dpi");
        // The frame as it is here; Windows would scale it too.
        RECT suggested = Rectangle(0, 0, 441, 292, dpi);
        AdjustWindowRectEx(&suggested, static_cast<DWORD>(GetWindowLongA(form->Handle(), GWL_STYLE)), FALSE, 0);
        OffsetRect(&suggested, frame.left - suggested.left + 8, frame.top - suggested.top + 8);
        SendMessageA(form->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));

        RECT now;
        GetWindowRect(form->Handle(), &now);
        EXPECT_EQ(now, suggested);
        RECT client;
        GetClientRect(form->Handle(), &client);
        EXPECT_EQ(client, Rectangle(0, 0, 441, 292, dpi));
        ExpectControlsInTheirPlaces(dpi);
        const HDC screen = GetDC(form->Handle());
        const TDrawnFont formFont = FormFontAt(screen, dpi);
        for (std::size_t index = 0; index < Unit1::ControlCount; ++index)
            EXPECT_EQ(DrawnFont(screen, FontOf(Control(static_cast<Unit1::TControlIndex>(index)))), formFont)
                << Unit1::Controls[index].Name;
        ReleaseDC(form->Handle(), screen);
        for (const Unit1::TControlIndex listBox : {Unit1::ListBox1, Unit1::ListBox2})
            EXPECT_EQ(SendMessageA(Control(listBox), LB_GETITEMHEIGHT, 0, 0), Scaled(13, dpi));
        frame = now;
    }
}

// Before a move to a monitor of another DPI, the form asks for the size whose
// client area is exactly its own, scaled; there every control has its place.
TEST_F(TForm1Test, AChangeOfDpiKeepsTheClientAreaExactlyTheForms)
{
    const DWORD style = static_cast<DWORD>(GetWindowLongA(form->Handle(), GWL_STYLE));
    // Each DPI with the client area there.
    const std::pair<int, SIZE> sizes[] = {{96, {441, 292}}, {144, {662, 438}}, {192, {882, 584}}};
    for (const auto& [dpi, client] : sizes) {
        SCOPED_TRACE(testing::Message() << dpi << " dpi");
        SIZE asked{};
        EXPECT_NE(SendMessageA(form->Handle(), WM_GETDPISCALEDSIZE, static_cast<WPARAM>(dpi),
                               reinterpret_cast<LPARAM>(&asked)),
                  0);
        RECT frame{};
        AdjustWindowRectExForDpi(&frame, style, FALSE, 0, static_cast<UINT>(dpi));
        EXPECT_EQ(asked.cx - (frame.right - frame.left), client.cx);
        EXPECT_EQ(asked.cy - (frame.bottom - frame.top), client.cy);
    }

    // At 144 dpi, in the rectangle the system suggests with the frame it draws.
    RECT suggested{0, 0, 662, 438};
    AdjustWindowRectEx(&suggested, style, FALSE, 0);
    SendMessageA(form->Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    const std::pair<Unit1::TControlIndex, RECT> places[] = {
        {Unit1::txtHostName, {24, 24, 24 + 626, 24 + 32}}, {Unit1::Button1, {264, 360, 264 + 113, 360 + 38}},
        {Unit1::ListBox1, {24, 72, 24 + 482, 72 + 278}},   {Unit1::ListBox2, {516, 72, 516 + 134, 72 + 278}},
        {Unit1::Edit1, {432, 360, 432 + 110, 360 + 32}},   {Unit1::StatusBar1, {0, 409, 662, 438}},
    };
    for (const auto& [control, place] : places)
        EXPECT_EQ(PlaceOf(Control(control)), place) << Unit1::Controls[control].Name;
}

// What a screen reader says for each control, read through Active
// Accessibility as it reads them; all else is the standard control's own.
TEST_F(TForm1Test, ScreenReadersNameEveryControl)
{
    form->SetStatusText("Windows Sockets is closed.");
    const std::pair<Unit1::TControlIndex, std::wstring> names[] = {
        {Unit1::txtHostName, L"Host name"},
        {Unit1::Button1, L"Button1"},
        {Unit1::StatusBar1, L"Windows Sockets is closed."},
        {Unit1::ListBox1, L"Results"},
        {Unit1::ListBox2, L"Reply bytes"},
        {Unit1::Edit1, L"Query type"},
    };
    // NOLINTBEGIN(cppcoreguidelines-pro-type-union-access): a VARIANT's type says which member it holds.
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    for (const auto& [control, expected] : names) {
        SCOPED_TRACE(Unit1::Controls[control].Name);
        IAccessible* accessible = nullptr;
        ASSERT_EQ(AccessibleObjectFromWindow(Control(control), static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&accessible)),
                  S_OK);
        BSTR name = nullptr;
        EXPECT_EQ(accessible->get_accName(self, &name), S_OK);
        EXPECT_EQ(std::wstring(name != nullptr ? name : L""), expected);
        SysFreeString(name);
        IAccessible* standard = nullptr;
        ASSERT_EQ(CreateStdAccessibleObject(Control(control), OBJID_CLIENT, __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&standard)),
                  S_OK);
        VARIANT role{};
        VARIANT standardRole{};
        EXPECT_EQ(accessible->get_accRole(self, &role), S_OK);
        EXPECT_EQ(standard->get_accRole(self, &standardRole), S_OK);
        EXPECT_EQ(role.vt, VT_I4);
        EXPECT_EQ(role.lVal, standardRole.lVal);
        // Every further interface the standard object answers, from the
        // named object itself: each leads back to the one IUnknown.
        IUnknown* identity = nullptr;
        ASSERT_EQ(accessible->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&identity)), S_OK);
        for (const IID& further : {__uuidof(IEnumVARIANT), __uuidof(IOleWindow), __uuidof(IServiceProvider)}) {
            IUnknown* fromStandard = nullptr;
            IUnknown* fromNamed = nullptr;
            const HRESULT standardAnswer = standard->QueryInterface(further, reinterpret_cast<void**>(&fromStandard));
            EXPECT_EQ(accessible->QueryInterface(further, reinterpret_cast<void**>(&fromNamed)), standardAnswer);
            if (fromNamed != nullptr) {
                IUnknown* back = nullptr;
                EXPECT_EQ(fromNamed->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&back)), S_OK);
                EXPECT_EQ(back, identity);
                if (back != nullptr)
                    back->Release();
                // And it answers as the standard object's does.
                IOleWindow* oleWindow = nullptr;
                if (further == __uuidof(IOleWindow)
                    && fromNamed->QueryInterface(further, reinterpret_cast<void**>(&oleWindow)) == S_OK) {
                    HWND window = nullptr;
                    EXPECT_EQ(oleWindow->GetWindow(&window), S_OK);
                    EXPECT_EQ(window, Control(control));
                    oleWindow->Release();
                }
                fromNamed->Release();
            }
            if (fromStandard != nullptr)
                fromStandard->Release();
        }
        identity->Release();
        standard->Release();
        accessible->Release();
        // The control's window object stays the standard one, which Windows
        // names after the window, not the client area's name.
        IAccessible* window = nullptr;
        IAccessible* standardWindow = nullptr;
        ASSERT_EQ(AccessibleObjectFromWindow(Control(control), static_cast<DWORD>(OBJID_WINDOW), __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&window)),
                  S_OK);
        ASSERT_EQ(CreateStdAccessibleObject(Control(control), OBJID_WINDOW, __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&standardWindow)),
                  S_OK);
        BSTR windowName = nullptr;
        BSTR standardWindowName = nullptr;
        EXPECT_EQ(window->get_accName(self, &windowName), standardWindow->get_accName(self, &standardWindowName));
        EXPECT_EQ(std::wstring(windowName != nullptr ? windowName : L""),
                  std::wstring(standardWindowName != nullptr ? standardWindowName : L""));
        SysFreeString(windowName);
        SysFreeString(standardWindowName);
        standardWindow->Release();
        window->Release();
    }
    // A line of a list keeps the standard object's name: its text on
    // Windows, none under Wine 8; never the list's own.
    form->AppendResultLine("Search : ab.cde....   Find : mx.ab.cde");
    IAccessible* list = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(Control(Unit1::ListBox1), static_cast<DWORD>(OBJID_CLIENT),
                                         __uuidof(IAccessible), reinterpret_cast<void**>(&list)),
              S_OK);
    VARIANT firstLine{};
    firstLine.vt = VT_I4;
    firstLine.lVal = 1;
    BSTR lineName = nullptr;
    (void)list->get_accName(firstLine, &lineName);
    EXPECT_NE(std::wstring(lineName != nullptr ? lineName : L""), L"Results");
    SysFreeString(lineName);
    list->Release();
    // NOLINTEND(cppcoreguidelines-pro-type-union-access)
}

// Where the named object cannot be handed out, the control answers as it
// does unnamed, never with the error: here on a thread without COM, where
// LresultFromObject cannot marshal it.
TEST(TAccessibleNameTest, AnObjectThatCannotBeHandedOutLeavesTheControlsOwnAnswer)
{
    std::thread([] {
        const auto control = [] {
            return std::unique_ptr<HWND__, decltype(&DestroyWindow)>(
                CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 40, 20, nullptr, nullptr, nullptr, nullptr),
                &DestroyWindow);
        };
        const auto named = control();
        const auto unnamed = control();
        ASSERT_NE(named, nullptr);
        ASSERT_NE(unnamed, nullptr);
        const TAccessibleName name(named.get(), "Host name");
        IAccessible* standard = nullptr;
        ASSERT_EQ(CreateStdAccessibleObject(unnamed.get(), OBJID_CLIENT, __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&standard)),
                  S_OK);
        EXPECT_LT(LresultFromObject(__uuidof(IAccessible), 0, standard), 0) << "COM could marshal here";
        standard->Release();
        EXPECT_EQ(SendMessageW(named.get(), WM_GETOBJECT, 0, OBJID_CLIENT),
                  SendMessageW(unnamed.get(), WM_GETOBJECT, 0, OBJID_CLIENT));
    }).join();
}

// The lines that `builtReader`, another process, writes of `windows`
// (tests/Read*.cpp), its messages answered by this thread meanwhile; "done"
// last when it read them all. Where DNSPEEK_READERS names a folder, the
// reader of that name there runs instead: the other build's, as a 64-bit
// screen reader reads a 32-bit program.
std::vector<std::string> ReadFromAnotherProcess(const std::string& builtReader, const std::vector<HWND>& windows)
{
    std::string reader = builtReader;
    if (const char* readers = std::getenv("DNSPEEK_READERS"); readers != nullptr)
        reader = readers + builtReader.substr(builtReader.find_last_of('/'));
    char folder[MAX_PATH] = {};
    char output[MAX_PATH] = {};
    if (GetTempPathA(sizeof folder, folder) == 0 || GetTempFileNameA(folder, "dnp", 0, output) == 0)
        return {"no temporary file"};
    std::string commandLine = '"' + reader + "\" \"" + output + '"';
    for (const HWND window : windows)
        commandLine += ' ' + std::to_string(reinterpret_cast<std::uintptr_t>(window));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (CreateProcessA(reader.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &started) == FALSE)
        return {"the reader did not start"};
    CloseHandle(started.hThread);
    while (MsgWaitForMultipleObjects(1, &started.hProcess, FALSE, 60'000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        TApplication::ProcessMessages();
    TerminateProcess(started.hProcess, 1);
    CloseHandle(started.hProcess);
    std::vector<std::string> lines;
    if (const std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(output, "rb"), &std::fclose); file) {
        std::string line;
        for (int character = std::fgetc(file.get()); character != EOF; character = std::fgetc(file.get())) {
            if (character != '\n') {
                line += static_cast<char>(character);
                continue;
            }
            lines.push_back(line);
            line.clear();
        }
    }
    DeleteFileA(output);
    return lines;
}

// Testing and assistive tools read the form from another process: every line
// of both lists and the texts of the edit boxes and the status bar reach them
// whole, wide and ANSI, at every length up to the longest result line a
// lookup writes (4075 bytes), and the program answers on. (A list line is
// read wide alone, its length in ANSI too: see the reader.)
TEST_F(TForm1Test, AnotherProcessReadsEveryTextWhole)
{
    sockets.replies = {test::AbCdeMxReply(test::MxExchange)};
    SetText(Unit1::txtHostName, "ab.cde");
    Click();
    // Around the sizes of conversion buffers, and the longest line.
    for (const std::size_t length : {0u, 1u, 255u, 256u, 511u, 512u, 513u, 1023u, 1024u, 2037u, 4075u}) {
        std::string line;
        while (line.size() < length)
            line += std::to_string(line.size() % 10);
        form->AppendResultLine(line);
    }
    SetText(Unit1::txtHostName, std::string(3985, 'h'));
    SetText(Unit1::Edit1, std::string(4075, '7'));
    form->SetStatusText(std::string(2037, 's'));

    const Unit1::TControlIndex read[] = {Unit1::ListBox1, Unit1::ListBox2, Unit1::txtHostName, Unit1::Edit1,
                                         Unit1::StatusBar1};
    std::vector<HWND> windows;
    std::vector<std::string> expected;
    for (const Unit1::TControlIndex control : read) {
        const bool listBox = control == Unit1::ListBox1 || control == Unit1::ListBox2;
        const std::vector<std::string> texts = listBox ? Lines(Control(control)) : std::vector{Text(Control(control))};
        for (std::size_t item = 0; item < texts.size(); ++item) {
            // A list line's length alone in ANSI: see the reader.
            for (const char charSet : {'W', 'A'}) {
                std::string line = std::to_string(windows.size());
                line += ' ';
                line += charSet;
                line += ' ' + std::to_string(item) + ' ' + std::to_string(texts[item].size()) + ' ';
                if (charSet == 'W' || !listBox)
                    line += texts[item];
                expected.push_back(line);
            }
        }
        windows.push_back(Control(control));
    }
    expected.emplace_back("done");

    const std::vector<std::string> readOutside = ReadFromAnotherProcess(DNSPEEK_TEXT_READER, windows);
    for (std::size_t line = 0; line < std::min(readOutside.size(), expected.size()); ++line)
        ASSERT_EQ(readOutside[line], expected[line]) << "line " << line;
    EXPECT_EQ(readOutside.size(), expected.size());
    EXPECT_EQ(Lines(Control(Unit1::ListBox1)).size(), 12u);
}

// Narrator reads the form through UI Automation, from another process: every
// control's name, and the control type that the system gives a plain control
// of its class, which naming must not change. (Windows' types are Edit,
// Button, List and StatusBar; Wine 10 makes the button, the lists and the
// status bar panes.) Wine 8 has no UI Automation.
TEST_F(TForm1Test, UiAutomationReadsEveryControlsNameAndType)
{
    form->SetStatusText("Windows Sockets is closed.");
    const std::pair<Unit1::TControlIndex, std::string> names[] = {
        {Unit1::txtHostName, "Host name"}, {Unit1::Button1, "Button1"},   {Unit1::ListBox1, "Results"},
        {Unit1::ListBox2, "Reply bytes"},  {Unit1::Edit1, "Query type"}, {Unit1::StatusBar1, "Windows Sockets is closed."},
    };
    // Each control, then a plain, hidden one of its class.
    std::vector<HWND> windows;
    for (const auto& [control, name] : names)
        windows.push_back(Control(control));
    std::vector<std::unique_ptr<HWND__, decltype(&DestroyWindow)>> plainControls;
    for (const auto& [control, name] : names) {
        char className[64] = {};
        GetClassNameA(Control(control), className, sizeof className);
        plainControls.emplace_back(CreateWindowExA(0, className, "", WS_CHILD, 0, 0, 40, 20,
                                                   GetParent(Control(control)), nullptr, nullptr, nullptr),
                                   &DestroyWindow);
        ASSERT_NE(plainControls.back(), nullptr) << className;
        windows.push_back(plainControls.back().get());
    }

    const std::vector<std::string> read = ReadFromAnotherProcess(DNSPEEK_UIA_READER, windows);
    if (read.size() == 1 && read.front().starts_with("no UI Automation: class not registered"))
        GTEST_SKIP() << "this system has " << read.front();
    ASSERT_EQ(read.size(), 2 * std::size(names) + 1) << testing::PrintToString(read);
    for (std::size_t control = 0; control < std::size(names); ++control) {
        const std::string& plain = read[std::size(names) + control];
        const std::string controlType = plain.substr(plain.find('|') + 1);
        EXPECT_TRUE(!controlType.empty() && controlType.find_first_not_of("0123456789") == std::string::npos) << plain;
        EXPECT_EQ(read[control], names[control].second + '|' + controlType);
    }
    EXPECT_EQ(read.back(), "done");
}

// Nothing reaches the form from inside a box: the box is the form's, even
// when another window is active, and the form takes no click until it is
// closed. Then the form is active again, with the focus where it was.
TEST_F(TForm1Test, TheErrorBoxHoldsTheFormUntilItIsClosed)
{
    SetText(Unit1::Edit1, "abc");
    const HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
    const std::pair<const char*, std::function<void()>> shows[] = {
        {"the error of a click", [this] { Click(); }},
        {"a box while another window is active",
         [this, other] {
             ShowWindow(other, SW_SHOW);
             SetActiveWindow(other);
             form->MessageDlg("Windows Socket is not responded.");
         }},
    };
    for (const auto& [what, show] : shows) {
        SCOPED_TRACE(what);
        const std::vector<TBox> boxes = CloseBoxesDuring(show);
        TApplication::ProcessMessages();

        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].owner, form->Handle());
        EXPECT_FALSE(boxes[0].ownerEnabled);
        EXPECT_NE(IsWindowEnabled(form->Handle()), FALSE);
        EXPECT_EQ(GetActiveWindow(), form->Handle());
        // Where the click put it.
        EXPECT_EQ(GetFocus(), Control(Unit1::Button1));
    }
    DestroyWindow(other);
}

// What the form's window is sent while it goes, and how much of it while
// the window still led to the form.
struct TLastMessages {
    HWND window = nullptr;
    int sent = 0;
    int reachingTheForm = 0;
};
TLastMessages LastMessages;

LRESULT CALLBACK WatchLastMessages(int code, WPARAM wParam, LPARAM lParam)
{
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the hook's message comes as its parameter.
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->hwnd == LastMessages.window) {
        ++LastMessages.sent;
        if (GetWindowLongPtrA(message->hwnd, GWLP_USERDATA) != 0)
            ++LastMessages.reachingTheForm;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The window leaves the form before it goes: none of what it is sent on its
// way out (its deactivation, the edit box losing the focus) reaches a form
// that is partly gone.
TEST_F(TForm1Test, TheWindowLeavesTheFormBeforeItGoes)
{
    LastMessages = {form->Handle(), 0, 0};
    SetFocus(Control(Unit1::txtHostName));
    const HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, WatchLastMessages, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);

    form.reset();
    UnhookWindowsHookEx(hook);

    EXPECT_GT(LastMessages.sent, 0);
    EXPECT_EQ(LastMessages.reachingTheForm, 0);
}

}  // namespace
}  // namespace dnspeek
