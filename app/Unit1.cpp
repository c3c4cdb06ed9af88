#include "Unit1.h"

#include "Application.h"
#include "QtText.h"
#include "ui_Unit1.h"

#include <QListView>
#include <QMessageBox>
#include <QResizeEvent>
#include <QStringList>
#include <QStringListModel>

#include <exception>
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

QStringListModel* AttachLines(QListView& listBox)
{
    auto* lines = new QStringListModel(&listBox);
    listBox.setModel(lines);
    return lines;
}

}  // namespace

TSocketLibrary& ProgramSocketLibrary()
{
    static TPosixSocketLibrary library;
    return library;
}

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

void TForm1::ClearReplyLines()
{
    ReplyLines_->setStringList({});
}

// A whole reply replaces the model in one reset rather than 2048 insertions.
void TForm1::AppendReplyLines(std::span<const ByteString> lines)
{
    QStringList all = ReplyLines_->stringList();
    all.reserve(all.size() + static_cast<qsizetype>(lines.size()));
    for (const ByteString& line : lines)
        all.append(ToQString(line));
    ReplyLines_->setStringList(all);
}

void TForm1::AppendResultLine(const ByteString& line)
{
    const int row = ResultLines_->rowCount();
    ResultLines_->insertRows(row, 1);
    ResultLines_->setData(ResultLines_->index(row), ToQString(line));
}

// Only a QMainWindow hands status tips to a status bar, so nothing but this
// call replaces the message.
void TForm1::SetStatusText(const ByteString& text)
{
    ui_->StatusBar1->showMessage(ToQString(text));
}

void TForm1::MessageDlg(const ByteString& text)
{
    QMessageBox::critical(this, QStringLiteral("Error"), ToQString(text));
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
