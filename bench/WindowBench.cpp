#include "app/QtText.h"
#include "app/Unit1.h"
#include "lookup/DnsMessage.h"
#include "platform/SocketLibrary.h"
#include "tests/support/LoopbackResponder.h"
#include "tests/support/Replies.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringList>
#include <QStringListModel>
#include <QTest>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dnspeek {
namespace {

const TReplyBuffer& MxReplyBuffer()
{
    static const TReplyBuffer buffer = test::InReplyBuffer(test::AbCdeMxReply(test::MxExchange));
    return buffer;
}

// The lines of a lookup's reply list, as the lookup hands them over: views
// of texts that live as long as the program.
std::vector<std::string_view> ReplyLines()
{
    static const std::vector<ByteString> texts = [] {
        std::vector<ByteString> all;
        for (const std::uint8_t byte : MxReplyBuffer())
            all.push_back(std::to_string(byte));
        return all;
    }();
    return {texts.begin(), texts.end()};
}

// Counts the paint events of every widget.
class TPaintCounter final : public QObject {
public:
    TPaintCounter() { QCoreApplication::instance()->installEventFilter(this); }

    // Serves the events waiting and returns how many paints they made;
    // eventFilter counts them meanwhile, which the analysers do not see.
    int Pass()  // NOLINT(readability-make-member-function-const)
    {
        const int before = paints_;
        QCoreApplication::processEvents();
        return paints_ - before;  // cppcheck-suppress duplicateExpression
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints_;
        return false;
    }

private:
    int paints_ = 0;
};

// Serves events until something has been painted and a further pass paints
// nothing: a change is then laid out and on screen. One pass is not enough,
// as the list's layout runs from a timer and only then asks for its paint.
// False when nothing was painted within a few passes.
bool Settle(TPaintCounter& counter)
{
    constexpr int MaxPasses = 8;
    bool painted = false;
    for (int pass = 0; pass < MaxPasses; ++pass) {
        const bool paintedNow = counter.Pass() > 0;
        if (painted && !paintedNow)
            return true;
        painted = painted || paintedNow;
    }
    return false;
}

bool Show(QWidget& window)
{
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}

// The main window against a responder on loopback, shown as a user sees it.
class TShownForm {
public:
    TShownForm() : form_(sockets_, responder_.Endpoint()), ok_(Show(form_)) {}

    template <class TControl>
    TControl* Find(const char* name)
    {
        return form_.findChild<TControl*>(QString::fromLatin1(name));
    }
    [[nodiscard]] bool Ok() const { return ok_; }
    TForm1& Form() { return form_; }

private:
    const test::TLoopbackResponder responder_{test::AbCdeMxReply(test::MxExchange)};
    TPosixSocketLibrary sockets_;
    TForm1 form_;
    bool ok_;
};

// The turns of the list benchmarks are functions of their own so that
// callgrind can count their instructions (--toggle-collect).
[[gnu::noinline]] bool ReplaceReplyLines(TLookupWindow& window, std::span<const std::string_view> lines,
                                         TPaintCounter& counter)
{
    window.ClearReplyLines();
    window.AppendReplyLines(lines);
    return Settle(counter);
}

[[gnu::noinline]] bool SetStrings(QStringListModel& model, const QStringList& strings, TPaintCounter& counter)
{
    model.setStringList(strings);
    return Settle(counter);
}

// Every click after the first: 2048 lines replace 2048 lines.
void BM_ReplyList(benchmark::State& state)
{
    TShownForm shown;
    auto* ListBox2 = shown.Find<QListView>("ListBox2");
    if (!shown.Ok() || ListBox2 == nullptr) {
        state.SkipWithError("no ListBox2 on screen");
        return;
    }
    TLookupWindow& window = shown.Form();
    const std::vector<std::string_view> lines = ReplyLines();
    TPaintCounter counter;
    window.AppendReplyLines(lines);
    if (!Settle(counter)) {
        state.SkipWithError("ListBox2 was not painted");
        return;
    }
    for (auto _ : state)
        if (!ReplaceReplyLines(window, lines, counter)) {
            state.SkipWithError("ListBox2 was not painted");
            return;
        }
    if (ListBox2->model()->rowCount() != static_cast<int>(lines.size()))
        state.SkipWithError("ListBox2 does not hold one reply");
}

// The floor: the same strings, already converted, set in one call on a plain
// model in a list of ListBox2's size, font and settings.
void BM_SetStringList(benchmark::State& state)
{
    TShownForm shown;
    auto* ListBox2 = shown.Find<QListView>("ListBox2");
    if (!shown.Ok() || ListBox2 == nullptr) {
        state.SkipWithError("no ListBox2 to copy");
        return;
    }
    QListView list;
    list.setFont(ListBox2->font());
    list.resize(ListBox2->size());
    list.setUniformItemSizes(ListBox2->uniformItemSizes());
    list.setSelectionMode(ListBox2->selectionMode());
    list.setEditTriggers(ListBox2->editTriggers());
    QStringListModel model;
    list.setModel(&model);
    list.show();
    if (!QTest::qWaitForWindowExposed(&list)) {
        state.SkipWithError("the list was not shown");
        return;
    }
    QStringList strings;
    for (const std::string_view line : ReplyLines())
        strings.append(ToQString(line));
    TPaintCounter counter;
    model.setStringList(strings);
    if (!Settle(counter)) {
        state.SkipWithError("the list was not painted");
        return;
    }
    for (auto _ : state)
        if (!SetStrings(model, strings, counter)) {
            state.SkipWithError("the list was not painted");
            break;
        }
}

// From the press on Button1 to the result line in ListBox1; the paint that
// follows is left out of the time, but done before the next press, whose
// button is painted at once.
void BM_Click(benchmark::State& state)
{
    TShownForm shown;
    auto* txtHostName = shown.Find<QLineEdit>("txtHostName");
    auto* Edit1 = shown.Find<QLineEdit>("Edit1");
    auto* Button1 = shown.Find<QPushButton>("Button1");
    auto* ListBox1 = shown.Find<QListView>("ListBox1");
    if (!shown.Ok() || txtHostName == nullptr || Edit1 == nullptr || Button1 == nullptr || ListBox1 == nullptr) {
        state.SkipWithError("the form's controls are not on screen");
        return;
    }
    txtHostName->setText(QStringLiteral("ab.cde"));
    Edit1->setText(QStringLiteral("15"));
    TPaintCounter counter;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        const auto start = Clock::now();
        QTest::mouseClick(Button1, Qt::LeftButton);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (!Settle(counter)) {
            state.SkipWithError("the window was not painted after a click");
            return;
        }
    }
    const QAbstractItemModel& results = *ListBox1->model();
    if (results.rowCount() != state.iterations()
        || results.index(results.rowCount() - 1, 0).data().toString() != "Search : ab.cde....   Find : mx.ab.cde")
        state.SkipWithError("a click did not add its result line");
}

std::size_t HeapInUse()
{
    const struct mallinfo2 heap = ::mallinfo2();
    return heap.uordblks + heap.hblkhd;
}

constexpr char TypicalResultLine[] = "Search : ab.cde....   Find : mx.ab.cde";
constexpr int LinesBeforeCount = 20;

// What ListBox1 holds for as many more lookups as the argument.
void BM_ResultListMemory(benchmark::State& state)
{
    const auto lines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        TShownForm shown;
        TLookupWindow& window = shown.Form();
        TPaintCounter counter;
        // More lines than ListBox1 shows, painted, put the glyphs of their
        // text and the scroll bar in place before the count starts.
        for (int line = 0; line < LinesBeforeCount; ++line)
            window.AppendResultLine(TypicalResultLine);
        if (!Settle(counter)) {
            state.SkipWithError("ListBox1 was not painted");
            return;
        }
        const std::size_t before = HeapInUse();
        if (before == 0) {
            state.SkipWithError("no malloc statistics (a sanitizer's allocator?)");
            return;
        }
        for (int line = 0; line < lines; ++line)
            window.AppendResultLine(TypicalResultLine);
        if (!Settle(counter)) {
            state.SkipWithError("ListBox1 was not painted");
            return;
        }
        const auto held = static_cast<double>(HeapInUse() - before);
        state.counters["bytes"] = held;
        state.counters["bytes_per_line"] = held / lines;
    }
}

// The floor: the same lines as QStrings in a bare list.
void BM_StringListMemory(benchmark::State& state)
{
    const auto lines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const std::size_t before = HeapInUse();
        QStringList strings;
        for (int line = 0; line < lines; ++line)
            strings.append(QString::fromUtf8(TypicalResultLine));
        const auto held = static_cast<double>(HeapInUse() - before);
        state.counters["bytes"] = held;
        state.counters["bytes_per_line"] = held / lines;
    }
}

BENCHMARK(BM_ReplyList);
BENCHMARK(BM_SetStringList);
BENCHMARK(BM_Click)->UseManualTime();
BENCHMARK(BM_ResultListMemory)->Arg(1000)->Arg(10000)->Iterations(1);
BENCHMARK(BM_StringListMemory)->Arg(1000)->Arg(10000)->Iterations(1);

}  // namespace
}  // namespace dnspeek
