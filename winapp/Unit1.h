#pragma once

#include "lookup/LookupCommand.h"
#include "lookup/LookupWindow.h"
#include "platform/SocketLibrary.h"
#include "winapp/AccessibleName.h"
#include "winapp/Application.h"
#include "winapp/Unit1Form.h"

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>

namespace dnspeek {

// The main window on the native controls: the controls of the form
// description (app/Unit1.ui), laid out at the DPI of the monitor it is on,
// named for screen readers, and the lookup behind Button1.
class TForm1 final : public TForm, public TLookupWindow {
public:
    // Every lookup goes through `sockets` to `resolver`; tests pass a socket
    // library of their own.
    TForm1(TSocketLibrary& sockets, TEndpoint resolver);
    ~TForm1() override = default;
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    [[nodiscard]] HWND Handle() const override { return window_.get(); }
    // cppcheck takes an element of std::array<HWND, N> for an integer.
    // cppcheck-suppress CastIntegerToAddressAtReturn
    [[nodiscard]] HWND Control(Unit1::TControlIndex control) const { return controls_[control]; }

    [[nodiscard]] ByteString HostNameText() const override;
    [[nodiscard]] ByteString QueryTypeText() const override;
    void ClearReplyLines() override;
    void AppendReplyLines(std::span<const std::string_view> lines) override;
    void AppendResultLine(const ByteString& line) override;
    void SetStatusText(const ByteString& text) override;
    void MessageDlg(const ByteString& text) override;

private:
    // Detached from the form first: what the window is sent on its way out
    // reaches no handler of a form that may be partly gone.
    struct TWindowDestroyer {
        void operator()(HWND window) const
        {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            DestroyWindow(window);
        }
    };
    struct TFontDeleter {
        void operator()(HFONT font) const { DeleteObject(font); }
    };

    // The one door of every message to the form.
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND CreateFormWindow();
    void CreateControls();
    // Places, font and list line heights of every control for `dpi`.
    void LayOut(int dpi);
    void PlaceStatusBar() const;
    [[nodiscard]] int Scaled(int pixelsAt96Dpi) const;

    // Freed after the window and the controls that use it; replaced when the
    // DPI changes, once no control uses it any more.
    std::unique_ptr<std::remove_pointer_t<HFONT>, TFontDeleter> font_;
    // Owned by the form's window, which destroys them with itself.
    std::array<HWND, Unit1::ControlCount> controls_{};
    std::array<std::optional<TAccessibleName>, Unit1::ControlCount> accessibleNames_;
    // The control that had the focus when the form was last deactivated.
    HWND focused_ = nullptr;
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    TLookupCommand command_;
    // Made in the constructor's body, after every member. Last, so that it
    // goes first, while the whole form still lives.
    std::unique_ptr<std::remove_pointer_t<HWND>, TWindowDestroyer> window_;
};

// The one main window, from start-up to exit.
extern TForm1* Form1;

}  // namespace dnspeek
