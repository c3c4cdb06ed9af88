#include "app/Unit1.h"
#include "lookup/DnsMessage.h"
#include "tests/support/Fakes.h"
#include "tests/support/LoopbackResponder.h"
#include "tests/support/Replies.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toUtf8().constData() << '"';
}
inline void PrintTo(const QRect& rect, std::ostream* out)
{
    *out << rect.x() << ',' << rect.y() << ' ' << rect.width() << 'x' << rect.height();
}
QT_END_NAMESPACE

namespace dnspeek {
namespace {

using test::Bytes;

constexpr int StatusBarHeight = 19;
// ListBox2 lists every byte of the reply buffer.
constexpr qsizetype ReplyLineCount = ReplyBufferSize;
// What the socket layer answers when the system has no network to give.
constexpr int WSASYSNOTREADY = 10091;

QStringList Lines(const QListView& listBox)
{
    QStringList lines;
    const QAbstractItemModel* model = listBox.model();
    for (int row = 0; row < model->rowCount(); ++row)
        lines.append(model->index(row, 0).data().toString());
    return lines;
}

QString AccessibleName(QWidget* control)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    return accessible != nullptr ? accessible->text(QAccessible::Name) : QStringLiteral("<not accessible>");
}

// What a modal box showed before it was closed.
struct TBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
};

// Runs `action` and closes each modal box it opens as a user would, with its
// OK button, keeping what the box showed.
std::vector<TBox> CloseBoxesDuring(const std::function<void()>& action)
{
    std::vector<TBox> boxes;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&boxes] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        boxes.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->done(0);
    });
    // An interval of 0 fires on every turn of any event loop, a box's included.
    closer.start(0);
    action();
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

// Collects what QAbstractItemModelTester reports of the models it checks.
std::vector<std::string>& ModelFaults()
{
    static std::vector<std::string> faults;
    return faults;
}

void KeepModelFaults(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && qstrcmp(context.category, "qt.modeltest") == 0)
        ModelFaults().push_back(message.toStdString());
}

class TForm1Test : public testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm1>(Sockets(), responder.Endpoint());
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        txtHostName = form->findChild<QLineEdit*>(QStringLiteral("txtHostName"));
        Button1 = form->findChild<QPushButton*>(QStringLiteral("Button1"));
        StatusBar1 = form->findChild<QStatusBar*>(QStringLiteral("StatusBar1"));
        ListBox1 = form->findChild<QListView*>(QStringLiteral("ListBox1"));
        ListBox2 = form->findChild<QListView*>(QStringLiteral("ListBox2"));
        Edit1 = form->findChild<QLineEdit*>(QStringLiteral("Edit1"));
        ASSERT_NE(txtHostName, nullptr);
        ASSERT_NE(Button1, nullptr);
        ASSERT_NE(StatusBar1, nullptr);
        ASSERT_NE(ListBox1, nullptr);
        ASSERT_NE(ListBox2, nullptr);
        ASSERT_NE(Edit1, nullptr);
        // Every change to either list is checked against the model rules the
        // views rely on.
        ModelFaults().clear();
        previousHandler = qInstallMessageHandler(KeepModelFaults);
        for (QListView* listBox : {ListBox1, ListBox2})
            modelTesters.push_back(std::make_unique<QAbstractItemModelTester>(
                listBox->model(), QAbstractItemModelTester::FailureReportingMode::Warning));
    }

    void TearDown() override
    {
        modelTesters.clear();
        qInstallMessageHandler(previousHandler);
        EXPECT_EQ(ModelFaults(), std::vector<std::string>{});
    }

    virtual TSocketLibrary& Sockets() { return posixSockets; }

    void Click() { QTest::mouseClick(Button1, Qt::LeftButton); }

    void ExpectControlsInTheirPlaces()
    {
        const std::pair<QWidget*, QRect> places[] = {
            {txtHostName, {16, 16, 417, 21}},
            {Button1, {176, 240, 75, 25}},
            {ListBox1, {16, 48, 321, 185}},
            {ListBox2, {344, 48, 89, 185}},
            {Edit1, {288, 240, 73, 21}},
        };
        for (const auto& [control, place] : places)
            EXPECT_EQ(control->geometry(), place) << control->objectName().toUtf8().constData();
        EXPECT_EQ(StatusBar1->geometry(),
                  QRect(0, form->height() - StatusBarHeight, form->width(), StatusBarHeight));
    }

    test::TLoopbackResponder responder{test::AbCdeMxReply(test::MxExchange)};
    TPosixSocketLibrary posixSockets;
    std::unique_ptr<TForm1> form;
    QLineEdit* txtHostName = nullptr;
    QPushButton* Button1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QListView* ListBox1 = nullptr;
    QListView* ListBox2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> modelTesters;
    QtMessageHandler previousHandler = nullptr;
};

TEST_F(TForm1Test, StartsWithTypeFifteenAndNothingElseShown)
{
    EXPECT_EQ(form->windowTitle(), "Form1");
    // No display name is set: X11 windows would carry it after the title.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    EXPECT_EQ(txtHostName->text().split('.').size(), 3);
    EXPECT_EQ(Edit1->text(), "15");
    EXPECT_EQ(Button1->text(), "Button1");
    EXPECT_TRUE(Lines(*ListBox1).isEmpty());
    EXPECT_TRUE(Lines(*ListBox2).isEmpty());
    EXPECT_EQ(StatusBar1->currentMessage(), "");
}

TEST_F(TForm1Test, WindowAndControlsStandWhereTheFormDescriptionPutsThem)
{
    EXPECT_EQ(form->frameGeometry().topLeft(), QPoint(103, 107));
    EXPECT_EQ(form->size(), QSize(441, 292));
    ExpectControlsInTheirPlaces();
}

TEST_F(TForm1Test, ResizingMovesOnlyTheStatusBar)
{
    for (const QSize size : {QSize(640, 480), QSize(300, 200), QSize(441, 292)}) {
        SCOPED_TRACE(testing::Message() << size.width() << 'x' << size.height());
        form->resize(size);
        ASSERT_EQ(form->size(), size);
        ExpectControlsInTheirPlaces();
    }
}

TEST_F(TForm1Test, TabVisitsTheControlsInTheFormsOrder)
{
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    txtHostName->setFocus();
    QStringList visited;
    for (int step = 0; step < 5; ++step) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        QTest::keyClick(focused, Qt::Key_Tab);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        visited.append(QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(visited, (QStringList{"Button1", "ListBox1", "ListBox2", "Edit1", "txtHostName"}));
}

TEST_F(TForm1Test, AssistiveTechnologyReadsANameForEveryControl)
{
    const std::pair<QWidget*, QString> names[] = {
        {txtHostName, "Host name"},
        {Button1, "Button1"},
        {ListBox1, "Results"},
        {ListBox2, "Reply bytes"},
        {Edit1, "Query type"},
    };
    for (const auto& [control, name] : names)
        EXPECT_EQ(AccessibleName(control), name) << control->objectName().toUtf8().constData();
    // The button is named by its caption, and the status bar by its text.
    EXPECT_EQ(Button1->accessibleName(), "");
    EXPECT_EQ(StatusBar1->accessibleName(), "");
}

TEST_F(TForm1Test, TextsUseTheFormsFontThroughItsSubstitute)
{
    const QFontInfo font(txtHostName->font());
    EXPECT_EQ(font.family(), "Liberation Sans");
    EXPECT_EQ(font.pixelSize(), 11);
}

// The window is laid out in device-independent pixels: at any scale factor
// the controls keep their places relative to the window and texts fit their
// boxes. CTest runs this once more with QT_SCALE_FACTOR=2.
TEST_F(TForm1Test, LayoutAndTextsHoldAtTheScreensScale)
{
    const qreal scale = qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
        ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
        : 1.0;
    EXPECT_EQ(form->devicePixelRatioF(), scale);
    EXPECT_EQ(form->size(), QSize(441, 292));
    ExpectControlsInTheirPlaces();

    TLookupWindow& window = *form;
    window.SetStatusText("Windows Sockets can not be closed.");
    txtHostName->setText("www.example.com");
    // Room left for frames and the margins the style draws inside them.
    constexpr int Margins = 8;
    const std::pair<QWidget*, QString> texts[] = {
        {txtHostName, txtHostName->text()},
        {Button1, Button1->text()},
        {Edit1, Edit1->text()},
        {StatusBar1, StatusBar1->currentMessage()},
    };
    for (const auto& [control, text] : texts) {
        SCOPED_TRACE(control->objectName().toUtf8().constData());
        const QFontMetrics metrics = control->fontMetrics();
        EXPECT_LE(metrics.horizontalAdvance(text) + Margins, control->width());
        EXPECT_LE(metrics.height(), control->height());
    }
}

TEST_F(TForm1Test, EditsTakeTextOfAnyLengthAndListsOneUneditableLine)
{
    for (const QLineEdit* edit : {txtHostName, Edit1}) {
        EXPECT_FALSE(edit->isReadOnly());
        EXPECT_EQ(edit->maxLength(), INT_MAX);
    }
    for (const QListView* listBox : {ListBox1, ListBox2}) {
        EXPECT_EQ(listBox->selectionMode(), QAbstractItemView::SingleSelection);
        EXPECT_EQ(listBox->editTriggers(), QAbstractItemView::NoEditTriggers);
    }
}

TEST_F(TForm1Test, ClickLooksUpTheHostAndEachClickAddsALineBelow)
{
    txtHostName->setText("ab.cde");
    Click();

    EXPECT_EQ(responder.Queries().size(), 1u);
    EXPECT_EQ(Lines(*ListBox1), QStringList{"Search : ab.cde....   Find : mx.ab.cde"});
    const QStringList reply = Lines(*ListBox2);
    ASSERT_EQ(reply.size(), ReplyLineCount);
    EXPECT_EQ(reply[0], "17");
    EXPECT_EQ(reply[1], "223");
    EXPECT_EQ(reply[ReplyLineCount - 1], "0");
    EXPECT_EQ(StatusBar1->currentMessage(), "Windows Sockets is closed.");

    Edit1->setText("1");
    Click();

    EXPECT_EQ(responder.Queries().size(), 2u);
    EXPECT_EQ(Lines(*ListBox1),
              (QStringList{"Search : ab.cde....   Find : mx.ab.cde", "Search : ab.cde....   Find : ab.cde"}));
    EXPECT_EQ(Lines(*ListBox2).size(), ReplyLineCount);
}

TEST_F(TForm1Test, EnterInAnEditBoxStartsNothing)
{
    EXPECT_FALSE(Button1->isDefault());
    EXPECT_FALSE(Button1->autoDefault());
    for (QLineEdit* edit : {txtHostName, Edit1})
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(edit, key);

    EXPECT_TRUE(responder.Queries().empty());
    EXPECT_TRUE(Lines(*ListBox1).isEmpty());
}

TEST_F(TForm1Test, EnterOrSpaceOnTheFocusedButtonPressesIt)
{
    txtHostName->setText("ab.cde");
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(txtHostName, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), Button1);

    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space})
        QTest::keyClick(Button1, key);
    // Enter held down presses the button once, however long it is held.
    QKeyEvent repeated(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(Button1, &repeated);

    EXPECT_EQ(responder.Queries().size(), 3u);
    EXPECT_EQ(Lines(*ListBox1).size(), 3);
}

TEST_F(TForm1Test, StatusTextIsReplacedAndReadFromTheStatusBar)
{
    TLookupWindow& window = *form;
    window.SetStatusText("Windows Sockets is closed.");
    window.SetStatusText("Windows Sockets is not available.");

    EXPECT_EQ(StatusBar1->currentMessage(), "Windows Sockets is not available.");
    // The text stays until the next one: no timer is set to clear it.
    for (const QTimer* timer : StatusBar1->findChildren<QTimer*>())
        EXPECT_FALSE(timer->isActive());
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(StatusBar1);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::StatusBar);
    EXPECT_EQ(accessible->text(QAccessible::Name), "Windows Sockets is not available.");
}

TEST_F(TForm1Test, LinesAreAddedAfterTheLastAndClearedAllAtOnce)
{
    TLookupWindow& window = *form;
    for (const char* line : {"one", "two", "three"})
        window.AppendResultLine(line);
    const std::vector<std::string_view> first{"1", "2"};
    const std::vector<std::string_view> second{"3"};
    window.AppendReplyLines(first);
    window.AppendReplyLines(second);

    EXPECT_EQ(Lines(*ListBox1), (QStringList{"one", "two", "three"}));
    EXPECT_EQ(Lines(*ListBox2), (QStringList{"1", "2", "3"}));

    window.ClearReplyLines();

    EXPECT_TRUE(Lines(*ListBox2).isEmpty());
    EXPECT_EQ(Lines(*ListBox1).size(), 3);
}

TEST_F(TForm1Test, AddingLinesNeitherSelectsNorScrolls)
{
    TLookupWindow& window = *form;
    for (int line = 0; line < 40; ++line)
        window.AppendResultLine("Search : ....   Find : ");
    window.AppendReplyLines(std::vector<std::string_view>(ReplyBufferSize, "0"));

    for (const QListView* listBox : {ListBox1, ListBox2}) {
        SCOPED_TRACE(listBox->objectName().toUtf8().constData());
        EXPECT_FALSE(listBox->currentIndex().isValid());
        EXPECT_FALSE(listBox->selectionModel()->hasSelection());
        EXPECT_EQ(listBox->verticalScrollBar()->value(), 0);
        EXPECT_EQ(listBox->visualRect(listBox->model()->index(0, 0)).height(), 13);
    }
}

// A user may have picked a byte of the last reply; the next one starts with
// nothing picked, scrolled to its top.
TEST_F(TForm1Test, ANewReplyDropsThePickedLineOfTheLast)
{
    TLookupWindow& window = *form;
    const std::vector<std::string_view> reply(ReplyBufferSize, "0");
    window.AppendReplyLines(reply);
    ListBox2->setCurrentIndex(ListBox2->model()->index(2000, 0));
    ASSERT_TRUE(ListBox2->selectionModel()->hasSelection());

    window.ClearReplyLines();
    window.AppendReplyLines(reply);

    EXPECT_FALSE(ListBox2->currentIndex().isValid());
    EXPECT_FALSE(ListBox2->selectionModel()->hasSelection());
    EXPECT_EQ(ListBox2->verticalScrollBar()->value(), 0);
}

TEST_F(TForm1Test, TextsCrossIntoTheWindowAsUtf8)
{
    TLookupWindow& window = *form;
    txtHostName->setText(QString::fromUtf8("b\xC3\xBC" "cher.example"));
    window.SetStatusText("\xC3\xA9t\xC3\xA9");

    EXPECT_EQ(window.HostNameText(), "b\xC3\xBC" "cher.example");
    EXPECT_EQ(StatusBar1->currentMessage(), QString::fromUtf8("\xC3\xA9t\xC3\xA9"));
}

// cppcheck does not see the fields read through GetParam().
struct TRejectedTexts {
    const char* name;
    std::string hostText;  // cppcheck-suppress unusedStructMember
    std::string typeText;  // cppcheck-suppress unusedStructMember
};

void PrintTo(const TRejectedTexts& texts, std::ostream* out)
{
    *out << texts.name;
}

class TForm1ErrorTest : public TForm1Test, public testing::WithParamInterface<TRejectedTexts> {};

TEST_P(TForm1ErrorTest, ErrorOfAClickGoesToTheErrorBoxAndTheWindowStaysUsable)
{
    const std::string expected = ErrorFor(GetParam().hostText, GetParam().typeText);
    ASSERT_FALSE(expected.empty());
    txtHostName->setText(QString::fromStdString(GetParam().hostText));
    Edit1->setText(QString::fromStdString(GetParam().typeText));

    const std::vector<TBox> boxes = CloseBoxesDuring([this] { Click(); });

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "dnspeek");
    EXPECT_EQ(boxes[0].text, QString::fromStdString(expected));
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes[0].buttons, QMessageBox::Ok);
    EXPECT_TRUE(responder.Queries().empty());
    EXPECT_TRUE(Lines(*ListBox1).isEmpty());
    EXPECT_EQ(StatusBar1->currentMessage(), "");

    txtHostName->setText("ab.cde");
    Edit1->setText("15");
    EXPECT_TRUE(CloseBoxesDuring([this] { Click(); }).empty());
    EXPECT_EQ(responder.Queries().size(), 1u);
    EXPECT_EQ(Lines(*ListBox1), QStringList{"Search : ab.cde....   Find : mx.ab.cde"});
}

std::string MegabyteOfLabels()
{
    std::string text;
    while (text.size() < std::size_t{1024} * 1024)
        text += "ab.";
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    RejectedTexts, TForm1ErrorTest,
    testing::Values(TRejectedTexts{"TypeNotANumber", "ab.cde", "abc"},
                    TRejectedTexts{"LabelOf200Characters", std::string(200, 'a') + ".cde", "15"},
                    TRejectedTexts{"MegabyteOfHostText", MegabyteOfLabels(), "15"}),
    [](const testing::TestParamInfo<TRejectedTexts>& rejected) { return std::string(rejected.param.name); });

class TForm1WithoutSocketsTest : public TForm1Test {
protected:
    TForm1WithoutSocketsTest() { sockets.startResult = WSASYSNOTREADY; }

    TSocketLibrary& Sockets() override { return sockets; }

    test::TFakeSocketLibrary sockets;
};

TEST_F(TForm1WithoutSocketsTest, FailedStartShowsOneBoxAndAddsAnEmptyLineBeforeAnyConversion)
{
    Edit1->setText("abc");

    const std::vector<TBox> boxes = CloseBoxesDuring([this] { Click(); });

    ASSERT_EQ(boxes.size(), 1u);
    // Every error box of the program has the same caption: its name.
    EXPECT_EQ(boxes[0].caption, "dnspeek");
    EXPECT_EQ(boxes[0].text, "Windows Socket is not responded.");
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(StatusBar1->currentMessage(), "Windows Sockets is not available.");
    EXPECT_EQ(Lines(*ListBox1), QStringList{"Search : ....   Find : "});
    EXPECT_TRUE(Lines(*ListBox2).isEmpty());
    EXPECT_EQ(sockets.openSockets, 0);
    EXPECT_TRUE(sockets.sent.empty());
}

}  // namespace
}  // namespace dnspeek
