#include "Unit1.h"

#include "Application.h"
#include "QtText.h"
#include "ui_Unit1.h"

#include <QAbstractListModel>
#include <QListView>
#include <QMessageBox>
#include <QResizeEvent>
#include <QStringListModel>

#include <exception>
#include <utility>
#include <vector>

namespace dnspeek {

TForm1* Form1 = nullptr;

// ListBox2's lines as the lookup made them. Only the rows the list shows are
// turned into text, so a reply of 2048 lines costs one copy of byte strings
// rather than 2048 conversions.
class TReplyLines final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(lines_.size());
    }

    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override
    {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid) || (role != Qt::DisplayRole && role != Qt::EditRole))
            return {};
        return ToQString(lines_[static_cast<std::size_t>(index.row())]);
    }

    void Clear()
    {
        beginResetModel();
        lines_.clear();
        endResetModel();
    }

    void Append(std::span<const std::string_view> lines)
    {
        if (lines.empty())
            return;
        const int first = rowCount();
        beginInsertRows({}, first, first + static_cast<int>(lines.size()) - 1);
        lines_.reserve(lines_.size() + lines.size());
        for (const std::string_view line : lines)
            lines_.emplace_back(line);
        endInsertRows();
    }

private:
    std::vector<ByteString> lines_;
};

namespace {

// Runs in the member initialisers, so that the controls exist before the
// members that refer to them.
std::unique_ptr<Ui::TForm1> SetUpControls(QWidget& form)
{
    auto ui = std::make_unique<Ui::TForm1>();
    ui->setupUi(&form);
    return ui;
}

template <class TLines>
TLines* AttachLines(QListView& listBox)
{
    auto* lines = new TLines(&listBox);
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
      ResultLines_(AttachLines<QStringListModel>(*ui_->ListBox1)),
      ReplyLines_(AttachLines<TReplyLines>(*ui_->ListBox2)),
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
    ReplyLines_->Clear();
}

// A whole reply is one insertion rather than 2048.
void TForm1::AppendReplyLines(std::span<const std::string_view> lines)
{
    ReplyLines_->Append(lines);
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
