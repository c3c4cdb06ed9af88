#pragma once

#include "lookup/LookupCommand.h"
#include "lookup/LookupWindow.h"
#include "platform/SocketLibrary.h"

#include <QWidget>

#include <memory>
#include <span>

class QResizeEvent;

namespace Ui {
class TForm1;
}

namespace dnspeek {

class TListBoxLines;

// The main window: the controls of its form description (Unit1.ui) and the
// lookup behind Button1.
// cppcheck-suppress noConstructor ; Q_OBJECT hides the constructor from it
class TForm1 final : public QWidget, public TLookupWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm1)

public:
    // Every lookup goes through `sockets` to `resolver`; tests pass a socket
    // library of their own and a responder on loopback.
    TForm1(TSocketLibrary& sockets, TEndpoint resolver);
    ~TForm1() override;

    [[nodiscard]] ByteString HostNameText() const override;
    [[nodiscard]] ByteString QueryTypeText() const override;
    void ClearReplyLines() override;
    void AppendReplyLines(std::span<const std::string_view> lines) override;
    void AppendResultLine(const ByteString& line) override;
    void SetStatusText(const ByteString& text) override;
    void MessageDlg(const ByteString& text) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Button1Click();

    // txtHostName, Button1, StatusBar1, ListBox1, ListBox2 and Edit1.
    std::unique_ptr<Ui::TForm1> ui_;
    // The lines of ListBox1 and ListBox2, owned by their list boxes.
    TListBoxLines* ResultLines_;
    TListBoxLines* ReplyLines_;
    TLookupCommand command_;
};

// The one main window, from start-up to exit.
extern TForm1* Form1;

}  // namespace dnspeek
