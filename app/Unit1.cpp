#include "app/Unit1.h"

#include "app/Application.h"
#include "app/ListBoxLines.h"
#include "app/QtText.h"
#include "ui_Unit1.h"

#include <QListView>
#include <QResizeEvent>

#include <exception>
#include <string_view>
#include <utility>

namespace dnspeek {

TForm1* Form1 = nullptr;

namespace {

// Runs in the member initialisers, so that the controls exist before the
// members that refer to them.
std::unique_ptr<Ui::TForm1> SetUpControls(QWidget& form)
{
    auto ui = std::make_unique<Ui::TForm1>();
    ui->setupUi(&form);
    return ui;
}

TListBoxLines* AttachLines(QListView& listBox)
{
    auto* lines = new TListBoxLines(&listBox);
    listBox.setModel(lines);
    return lines;
}

}  // namespace

TForm1::TForm1(TSocketLibrary& sockets, TEndpoint resolver)
    : ui_(SetUpControls(*this)),
      ResultLines_(AttachLines(*ui_->ListBox1)),
      ReplyLines_(AttachLines(*ui_->ListBox2)),
      command_(*this, sockets, std::move(resolver))
{
    // The form description gives a window only its size; this places its
    // frame.
    move(103, 107);
    connect(ui_->Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
}

TForm1::~TForm1() = default;

ByteString TForm1::HostNameText() const
{
    return ToByteString(ui_->txtHostName->text());
}

ByteString TForm1::QueryTypeText() const
{
    return ToByteString(ui_->Edit1->text());
}

// A view keeps its scroll position through a reset of its model; an emptied
// list starts again from its top, so the next reply shows from its first
// byte.
void TForm1::ClearReplyLines()
{
    ReplyLines_->Clear();
    ui_->ListBox2->scrollToTop();
}

void TForm1::AppendReplyLines(std::span<const std::string_view> lines)
{
    ReplyLines_->Append(lines);
}

void TForm1::AppendResultLine(const ByteString& line)
{
    const std::string_view lines[] = {line};
    ResultLines_->Append(lines);
}

// Only a QMainWindow hands status tips to a status bar, so nothing but this
// call replaces the message.
void TForm1::SetStatusText(const ByteString& text)
{
    ui_->StatusBar1->showMessage(ToQString(text));
}

void TForm1::MessageDlg(const ByteString& text)
{
    dnspeek::MessageDlg(text);
}

// The status bar runs along the bottom edge at full width; every other
// control keeps its place and size.
void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int barHeight = ui_->StatusBar1->height();
    ui_->StatusBar1->setGeometry(0, event->size().height() - barHeight, event->size().width(), barHeight);
}

// Errors of a click end there: none may unwind into Qt's event loop.
void TForm1::Button1Click()
{
    try {
        command_.Button1Click();
    } catch (const std::exception& error) {
        TApplication::ShowException(error);
    }
}

}  // namespace dnspeek
