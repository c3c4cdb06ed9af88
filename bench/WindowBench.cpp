#include "app/QtText.h"
#include "app/Unit1.h"
#include "bench/AgainstFloor.h"
#include "bench/Floors.h"
#include "lookup/DnsMessage.h"
#include "platform/SocketLibrary.h"
#include "tests/support/LoopbackResponder.h"
#include "tests/support/Replies.h"

#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringList>
#include <QTest>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <string>
#include <string_view>
#include <vector>

namespace dnspeek {
namespace {

constexpr char ResultLine[] = "Search : ab.cde....   Find : mx.ab.cde";

// The lines of the MX reply's list, as a lookup hands them over.
std::vector<std::string_view> ReplyLines()
{
    static const std::vector<ByteString> texts = [] {
        std::vector<ByteString> all;
        for (const std::uint8_t byte : test::InReplyBuffer(test::AbCdeMxReply(test::MxExchange)))
            all.push_back(std::to_string(byte));
        return all;
    }();
    return {texts.begin(), texts.end()};
}

QStringList ReplyStrings()
{
    QStringList strings;
    for (const std::string_view line : ReplyLines())
        strings.append(ToQString(line));
    return strings;
}

bool Show(QWidget& window)
{
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}

// The main window against a responder on loopback, shown as a user sees it.
class TShownForm {
public:
    TShownForm() : form_(sockets_, responder_.Endpoint()), shown_(Show(form_)) {}

    template <class TControl>
    TControl* Find(const char* name)
    {
        return form_.findChild<TControl*>(QString::fromLatin1(name));
    }
    [[nodiscard]] bool Shown() const { return shown_; }
    [[nodiscard]] TEndpoint Responder() const { return responder_.Endpoint(); }
    TLookupWindow& Window() { return form_; }

private:
    const test::TLoopbackResponder responder_{test::AbCdeMxReply(test::MxExchange)};
    TPosixSocketLibrary sockets_;
    TForm1 form_;
    bool shown_;
};

// Every click after the first: 2048 lines replace 2048 lines, painted.
void BM_ReplyList(benchmark::State& state)
{
    TShownForm shown;
    const auto* ListBox2 = shown.Find<QListView>("ListBox2");
    if (!shown.Shown() || ListBox2 == nullptr) {
        state.SkipWithError("ListBox2 is not on screen");
        return;
    }
    bench::TPlainList plain(*ListBox2);
    bench::TPaintCounter paints;
    const std::vector<std::string_view> lines = ReplyLines();
    const QStringList strings = ReplyStrings();
    TLookupWindow& window = shown.Window();
    window.AppendReplyLines(lines);
    bench::AgainstFloor(
        state, "ratio <= 2 and under 16.7 ms", 1,
        [&] {
            window.ClearReplyLines();
            window.AppendReplyLines(lines);
            return paints.Settle() && ListBox2->model()->rowCount() == static_cast<int>(lines.size());
        },
        [&] { return plain.Shown() && plain.SetLines(strings, paints); });
}

// From the press on Button1 to the result line in ListBox1, against an
// exchange on a fresh socket and a plain list taking the reply's lines,
// painted. The window's own paint comes after the time.
void BM_Click(benchmark::State& state)
{
    TShownForm shown;
    auto* txtHostName = shown.Find<QLineEdit>("txtHostName");
    auto* Edit1 = shown.Find<QLineEdit>("Edit1");
    auto* Button1 = shown.Find<QPushButton>("Button1");
    const auto* ListBox1 = shown.Find<QListView>("ListBox1");
    const auto* ListBox2 = shown.Find<QListView>("ListBox2");
    if (!shown.Shown() || txtHostName == nullptr || Edit1 == nullptr || Button1 == nullptr || ListBox1 == nullptr
        || ListBox2 == nullptr) {
        state.SkipWithError("the form's controls are not on screen");
        return;
    }
    txtHostName->setText(QStringLiteral("ab.cde"));
    Edit1->setText(QStringLiteral("15"));
    bench::TPlainList plain(*ListBox2);
    bench::TPaintCounter paints;
    const TQueryBuffer query = BuildQuery("ab.cde", "15");
    const QStringList strings = ReplyStrings();
    TReplyBuffer reply{};
    const QAbstractItemModel& results = *ListBox1->model();
    bench::AgainstFloor(
        state, "ratio <= 1.5", 1,
        [&] {
            const int before = results.rowCount();
            QTest::mouseClick(Button1, Qt::LeftButton);
            return results.rowCount() == before + 1
                && results.index(before, 0).data().toString() == QLatin1String(ResultLine);
        },
        [&] {
            return bench::ExchangeOnAFreshSocket(shown.Responder(), query.Message(), reply)
                && plain.Shown() && plain.SetLines(strings, paints);
        },
        [&] { return paints.Settle(); });
}

std::size_t HeapInUse()
{
    const struct mallinfo2 heap = ::mallinfo2();
    return heap.uordblks + heap.hblkhd;
}

// What ListBox1 holds for as many more lookups as the argument, against the
// same lines in a bare QStringList.
void BM_ResultListMemory(benchmark::State& state)
{
    const auto lines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        TShownForm shown;
        TLookupWindow& window = shown.Window();
        bench::TPaintCounter paints;
        // Lines enough for the scroll bar, painted, put the glyphs and the
        // scroll bar in place before the count starts.
        for (int line = 0; line < 20; ++line)
            window.AppendResultLine(ResultLine);
        if (!shown.Shown() || !paints.Settle() || HeapInUse() == 0) {
            state.SkipWithError("ListBox1 was not painted, or malloc keeps no statistics");
            return;
        }
        const std::size_t before = HeapInUse();
        for (int line = 0; line < lines; ++line)
            window.AppendResultLine(ResultLine);
        if (!paints.Settle()) {
            state.SkipWithError("ListBox1 was not painted");
            return;
        }
        const auto held = static_cast<double>(HeapInUse() - before);

        const std::size_t floorBefore = HeapInUse();
        QStringList strings;
        for (int line = 0; line < lines; ++line)
            strings.append(QString::fromLatin1(ResultLine));
        const auto floorHeld = static_cast<double>(HeapInUse() - floorBefore);

        state.counters["bytes"] = benchmark::Counter(held, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
        state.counters["bytes_per_line"] = held / lines;
        state.counters["floor_bytes"] =
            benchmark::Counter(floorHeld, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
        state.counters["ratio"] = held / floorHeld;
    }
    state.SetLabel("target under 2 MiB after 10k lines, linear");
}

BENCHMARK(BM_ReplyList)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Click)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResultListMemory)->Arg(1000)->Arg(10000)->Iterations(1);

}  // namespace
}  // namespace dnspeek
