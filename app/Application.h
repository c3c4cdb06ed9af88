#pragma once

#include "platform/Text.h"

#include <QApplication>
#include <QWidget>

#include <exception>
#include <memory>
#include <utility>

namespace dnspeek {

// The modal box of every error the user sees: the error icon, an OK button
// alone, and the application's name as its caption. Returns when the user
// has closed it.
void MessageDlg(const ByteString& text);

// The application object as the program uses it: it is initialised, creates
// the main form, serves events until that form closes, and shows errors.
class TApplication {
public:
    TApplication(int& argc, char** argv);

    void Initialize();

    // Creates the main form from `arguments`. The application owns the form
    // and frees it before itself; `reference` is the program's handle on it
    // until then.
    template <class TForm, class... TArguments>
    void CreateForm(TForm*& reference, TArguments&&... arguments)
    {
        auto form = std::make_unique<TForm>(std::forward<TArguments>(arguments)...);
        reference = form.get();
        mainForm_ = std::move(form);
    }

    // Shows the main form and serves events until it is closed.
    void Run();

    // The application's error box with the error's message.
    static void ShowException(const std::exception& error);

private:
    int& argc_;
    char** argv_;
    std::unique_ptr<QApplication> application_;
    // Declared after the QApplication so that it goes first: no widget may
    // outlive the QApplication.
    std::unique_ptr<QWidget> mainForm_;
};

}  // namespace dnspeek
