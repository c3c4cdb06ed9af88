#pragma once

#include "platform/Text.h"

#include <windows.h>

#include <exception>
#include <memory>
#include <optional>
#include <utility>

namespace dnspeek {

// The caption of every box the program shows: its name, as on Linux.
inline constexpr char ApplicationTitle[] = "dnspeek";

// The modal box of every error the user sees: the error icon, an OK button
// alone, and the application's name as its caption. Its owner (the form, or
// null before there is one) takes no input while it is up. Returns when the
// user has closed it.
void MessageDlg(HWND owner, const ByteString& text);

// What the application needs of its main form.
class TForm {
public:
    virtual ~TForm() = default;
    [[nodiscard]] virtual HWND Handle() const = 0;
};

// The application object as the program uses it: it is initialised, creates
// the main form, serves messages until that form closes, and shows errors.
class TApplication {
public:
    TApplication() = default;
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    void Initialize();

    // Creates the main form from `arguments`. The application owns the form;
    // `reference` is the program's handle on it until then.
    template <class TMainForm, class... TArguments>
    void CreateForm(TMainForm*& reference, TArguments&&... arguments)
    {
        auto form = std::make_unique<TMainForm>(std::forward<TArguments>(arguments)...);
        reference = form.get();
        mainForm_ = std::move(form);
    }

    // Shows the main form and serves messages until it is closed.
    void Run();
    // Serves the messages waiting, as Run does, and returns.
    static void ProcessMessages();

    // The application's error box with the error's message, over `owner`.
    static void ShowException(const std::exception& error, HWND owner);

private:
    // COM on this thread, through which screen readers reach the accessible
    // objects of the controls, from this process or another.
    class TComApartment {
    public:
        TComApartment();
        ~TComApartment();
        TComApartment(const TComApartment&) = delete;
        TComApartment& operator=(const TComApartment&) = delete;
    };

    static void Serve(MSG& message);

    // Outlives the form, whose controls' objects it serves.
    std::optional<TComApartment> apartment_;
    std::unique_ptr<TForm> mainForm_;
};

}  // namespace dnspeek
