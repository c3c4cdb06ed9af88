#include "winapp/Unit1.h"

#include "platform/Exception.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>

namespace dnspeek {

TForm1* Form1 = nullptr;

namespace {

constexpr char FormClassName[] = "TForm1";
// The outer top-left corner of the window on the screen, at 96 dpi.
constexpr POINT FormPlace{103, 107};
// The height of a list line at 96 dpi.
constexpr int ListItemHeight = 13;
// Above IDOK and IDCANCEL, which the dialog manager sends the form for Enter
// and Escape.
constexpr int FirstControlId = 100;
constexpr DWORD FormStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
// The id of the icon in dnspeek.rc.
constexpr WORD ProgramIconId = 1;

// The form's window class, registered while the program runs.
class TFormClass {
public:
    explicit TFormClass(WNDPROC windowProc)
    {
        WNDCLASSEXA formClass{};
        formClass.cbSize = sizeof formClass;
        formClass.lpfnWndProc = windowProc;
        formClass.hInstance = GetModuleHandleA(nullptr);
        // The program's own icon (dnspeek.rc), in the frame and the task bar.
        formClass.hIcon = LoadIconA(formClass.hInstance, MAKEINTRESOURCEA(ProgramIconId));
        formClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        formClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        formClass.lpszClassName = FormClassName;
        if (RegisterClassExA(&formClass) == 0)
            throw Exception("The window class of the form could not be registered.");
    }
    ~TFormClass() { UnregisterClassA(FormClassName, GetModuleHandleA(nullptr)); }
    TFormClass(const TFormClass&) = delete;
    TFormClass& operator=(const TFormClass&) = delete;
};

struct TNativeControl {
    const char* ClassName;
    DWORD Style;
    DWORD ExStyle;
};

// Each kind of control as the native one it is. Both lists are unsorted
// with single selection, and keep the height they are given rather than
// shrink to whole lines; the status bar, too, takes the place it is given.
TNativeControl NativeControlOf(TControlKind kind)
{
    switch (kind) {
    case TControlKind::EditBox:
        return {"EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case TControlKind::PushButton:
        return {"BUTTON", BS_PUSHBUTTON, 0};
    case TControlKind::StatusBar:
        return {STATUSCLASSNAMEA, SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0};
    case TControlKind::ListBox:
        return {"LISTBOX", WS_VSCROLL | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE};
    }
    throw Exception("The form names a control of no known kind.");
}

// A function of a newer Windows than the oldest the program runs on, or
// null where the system lacks it.
template <class TFunction>
TFunction* SystemFunction(const char* module, const char* name)
{
    const HMODULE loaded = GetModuleHandleA(module);
    if (loaded == nullptr)
        return nullptr;
    // Through the generic function type, as the system names the real one.
    return reinterpret_cast<TFunction*>(reinterpret_cast<void (*)()>(GetProcAddress(loaded, name)));
}

// The DPI of the monitor the window is on (Windows 10 1607 on), or else the
// system's.
int DpiOf(HWND window)
{
    static auto* const getDpiForWindow = SystemFunction<UINT WINAPI(HWND)>("user32.dll", "GetDpiForWindow");
    if (getDpiForWindow != nullptr)
        return static_cast<int>(getDpiForWindow(window));
    const HDC context = GetDC(window);
    const int dpi = GetDeviceCaps(context, LOGPIXELSY);
    ReleaseDC(window, context);
    return dpi;
}

// The outer size of a window whose client area is `client`, with the frame
// of `dpi` where the system scales frames by monitor.
SIZE OuterSize(SIZE client, DWORD style, int dpi)
{
    static auto* const adjustForDpi = SystemFunction<BOOL WINAPI(RECT*, DWORD, BOOL, DWORD, UINT)>(
        "user32.dll", "AdjustWindowRectExForDpi");
    RECT frame{0, 0, client.cx, client.cy};
    if (adjustForDpi != nullptr)
        adjustForDpi(&frame, style, FALSE, 0, static_cast<UINT>(dpi));
    else
        AdjustWindowRectEx(&frame, style, FALSE, 0);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

ByteString TextOf(HWND control)
{
    const int length = GetWindowTextLengthA(control);
    ByteString text(static_cast<std::size_t>(std::max(length, 0)), '\0');
    if (length > 0)
        text.resize(static_cast<std::size_t>(GetWindowTextA(control, text.data(), length + 1)));
    return text;
}

// Both lists take their lines this way. A line shows up to its first NUL,
// as a text of the system does.
void AppendLines(HWND listBox, std::span<const std::string_view> lines)
{
    std::size_t bytes = 0;
    for (const std::string_view line : lines)
        bytes += line.size() + 1;
    SendMessageA(listBox, LB_INITSTORAGE, lines.size(), static_cast<LPARAM>(bytes));
    // One paint for the lot instead of one per line.
    SendMessageA(listBox, WM_SETREDRAW, FALSE, 0);
    ByteString text;
    for (const std::string_view line : lines) {
        text.assign(line);
        SendMessageA(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageA(listBox, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listBox, nullptr, TRUE);
}

}  // namespace

TForm1::TForm1(TSocketLibrary& sockets, TEndpoint resolver)
    : command_(*this, sockets, std::move(resolver))
{
    // Made here, once every member exists: its handlers run while
    // CreateWindowExA makes it, and read them.
    window_.reset(CreateFormWindow());
    CreateControls();
    LayOut(DpiOf(window_.get()));
    const SIZE outer =
        OuterSize({Scaled(Unit1::Form.ClientWidth), Scaled(Unit1::Form.ClientHeight)}, FormStyle, dpi_);
    // Sizing the window places the status bar along its bottom edge.
    SetWindowPos(window_.get(), nullptr, Scaled(FormPlace.x), Scaled(FormPlace.y), outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND TForm1::CreateFormWindow()
{
    static const TFormClass formClass(&TForm1::WindowProc);
    const HWND window = CreateWindowExA(0, FormClassName, Unit1::Form.Caption, FormStyle, 0, 0, 0, 0, nullptr,
                                       nullptr, GetModuleHandleA(nullptr), this);
    if (window == nullptr)
        throw Exception("The form's window could not be created.");
    return window;
}

void TForm1::CreateControls()
{
    for (std::size_t index = 0; index < Unit1::ControlCount; ++index) {
        const TControlDescription& control = Unit1::Controls[index];
        const TNativeControl native = NativeControlOf(control.Kind);
        const bool tabStop = std::ranges::find(Unit1::TabOrder, index) != Unit1::TabOrder.end();
        // Placed by LayOut.
        const HWND handle = CreateWindowExA(
            native.ExStyle, native.ClassName, control.Text,
            WS_CHILD | WS_VISIBLE | native.Style | (tabStop ? WS_TABSTOP : 0), 0, 0, 0, 0, window_.get(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(FirstControlId) + static_cast<INT_PTR>(index)),
            GetModuleHandleA(nullptr), nullptr);
        if (handle == nullptr)
            throw Exception(std::string("The control ") + control.Name + " could not be created.");
        controls_[index] = handle;
        if (control.Kind == TControlKind::EditBox)
            SendMessageA(handle, EM_SETLIMITTEXT, 0, 0);  // no limit
        if (*control.AccessibleName != '\0')
            accessibleNames_[index].emplace(handle, control.AccessibleName);
    }
    // The tab key follows the order of the windows.
    HWND previous = HWND_TOP;
    for (const Unit1::TControlIndex index : Unit1::TabOrder) {
        SetWindowPos(controls_[index], previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = controls_[index];
    }
}

void TForm1::LayOut(int dpi)
{
    dpi_ = dpi;
    // 8 points are 11 pixels at 96 dpi, scaled as every other size.
    std::unique_ptr<std::remove_pointer_t<HFONT>, TFontDeleter> font(
        CreateFontA(-Scaled(MulDiv(Unit1::Form.FontPoints, USER_DEFAULT_SCREEN_DPI, 72)), 0, 0, 0, FW_NORMAL, FALSE,
                    FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_DONTCARE, Unit1::Form.FontFamily));
    if (!font)
        throw Exception("The form's font could not be made.");
    for (std::size_t index = 0; index < Unit1::ControlCount; ++index) {
        const TControlDescription& control = Unit1::Controls[index];
        const HWND handle = controls_[index];
        SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        // After the font, which sets an item height of its own.
        if (control.Kind == TControlKind::ListBox)
            SendMessageA(handle, LB_SETITEMHEIGHT, 0, Scaled(ListItemHeight));
        // The status bar is placed by the new size that follows every layout.
        if (control.Kind != TControlKind::StatusBar)
            MoveWindow(handle, Scaled(control.Place.Left), Scaled(control.Place.Top), Scaled(control.Place.Width),
                       Scaled(control.Place.Height), TRUE);
    }
    font_ = std::move(font);
}

// Every control keeps its place but the status bar, which runs along the
// bottom edge at full width.
void TForm1::PlaceStatusBar() const
{
    RECT client;
    GetClientRect(window_.get(), &client);
    const int height = Scaled(Unit1::Controls[Unit1::StatusBar1].Place.Height);
    MoveWindow(Control(Unit1::StatusBar1), 0, client.bottom - height, client.right, height, TRUE);
}

int TForm1::Scaled(int pixelsAt96Dpi) const
{
    return MulDiv(pixelsAt96Dpi, dpi_, USER_DEFAULT_SCREEN_DPI);
}

ByteString TForm1::HostNameText() const
{
    return TextOf(Control(Unit1::txtHostName));
}

ByteString TForm1::QueryTypeText() const
{
    return TextOf(Control(Unit1::Edit1));
}

// A new reply starts at its top, with nothing picked.
void TForm1::ClearReplyLines()
{
    SendMessageA(Control(Unit1::ListBox2), LB_RESETCONTENT, 0, 0);
}

void TForm1::AppendReplyLines(std::span<const std::string_view> lines)
{
    AppendLines(Control(Unit1::ListBox2), lines);
}

void TForm1::AppendResultLine(const ByteString& line)
{
    const std::string_view lines[] = {line};
    AppendLines(Control(Unit1::ListBox1), lines);
}

void TForm1::SetStatusText(const ByteString& text)
{
    SetWindowTextA(Control(Unit1::StatusBar1), text.c_str());
}

void TForm1::MessageDlg(const ByteString& text)
{
    dnspeek::MessageDlg(Handle(), text);
}

// An error of a handler ends there and goes to the application's error box:
// none may unwind through the system's frames. Anything else ends the
// program here.
LRESULT CALLBACK TForm1::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (form == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    try {
        return form->HandleMessage(window, message, wParam, lParam);
    } catch (const std::exception& error) {
        TApplication::ShowException(error, window);
        return 0;
    }
}

LRESULT TForm1::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == FirstControlId + Unit1::Button1 && HIWORD(wParam) == BN_CLICKED) {
            command_.Button1Click();
            return 0;
        }
        break;
    case WM_SIZE:
        if (Control(Unit1::StatusBar1) != nullptr)
            PlaceStatusBar();
        return 0;
    case WM_GETDPISCALEDSIZE: {
        // Asked before a move to a monitor of another scale: the size that
        // gives the form's client area at the new DPI exactly. Windows would
        // otherwise scale the frame along, and the client area could miss.
        const int dpi = static_cast<int>(wParam);
        *reinterpret_cast<SIZE*>(lParam) =
            OuterSize({MulDiv(Unit1::Form.ClientWidth, dpi, USER_DEFAULT_SCREEN_DPI),
                       MulDiv(Unit1::Form.ClientHeight, dpi, USER_DEFAULT_SCREEN_DPI)},
                      FormStyle, dpi);
        return TRUE;
    }
    case WM_DPICHANGED: {
        // Moved to a monitor of another scale: the whole form at the new
        // DPI, in the place the system suggests for it.
        LayOut(HIWORD(wParam));
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_ACTIVATE:
        // The focus leaves with the form and comes back where it was, on the
        // first control in tab order at first.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus != nullptr && IsChild(window, focus) != FALSE)
                focused_ = focus;
        } else if (HIWORD(wParam) == 0) {
            SetFocus(focused_ != nullptr ? focused_ : Control(Unit1::TabOrder.front()));
        }
        return 0;
    case WM_CLOSE:
        // Closing the main form ends the application; the form itself goes
        // with the application object.
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace dnspeek
