#include "lookup/LookupCommand.h"
#include "tests/LoopbackLookupTest.h"
#include "tests/support/Fakes.h"
#include "tests/support/Replies.h"

#ifdef _WIN32
#include <windows.h>
#include <winsock.h>
#else
#include <pthread.h>
#include <signal.h>
#endif

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace dnspeek {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using testing::Each;
using testing::ElementsAre;
using testing::SizeIs;

const ByteString EmptyResultLine = "Search : ....   Find : ";

// Keeps the result lines alone: thousands of lookups need no copy of each
// reply's 2048 lines.
class TResultWindow final : public TLookupWindow {
public:
    std::vector<ByteString> resultLines;

    ByteString HostNameText() const override { return "ab.cde"; }
    ByteString QueryTypeText() const override { return "15"; }
    void ClearReplyLines() override {}
    void AppendReplyLines(std::span<const std::string_view>) override {}
    void AppendResultLine(const ByteString& line) override { resultLines.push_back(line); }
    void SetStatusText(const ByteString&) override {}
    void MessageDlg(const ByteString&) override {}
};

#ifdef _WIN32
// ntdll's, with the information class as the number it is: winternl.h's
// enumeration stops short of the extended table of handles.
extern "C" LONG NTAPI NtQuerySystemInformation(ULONG informationClass, PVOID information, ULONG length,
                                               PULONG returnedLength);

// Sockets are handles on Windows. They are counted in the system's table of
// every handle, which Wine keeps too (its GetProcessHandleCount says 0); the
// extended table, as the other holds 16 bits of each owner's process id.
std::ptrdiff_t OpenDescriptors()
{
    struct THandleEntry {
        PVOID Object;
        ULONG_PTR OwnerProcessId;
        ULONG_PTR Value;
        ACCESS_MASK Access;
        USHORT CreatorBackTraceIndex;
        USHORT ObjectTypeIndex;
        ULONG Attributes;
        ULONG Reserved;
    };
    struct TTableHead {
        ULONG_PTR Count;
        // Never read, but the entries start after it.
        ULONG_PTR Reserved;  // cppcheck-suppress unusedStructMember
    };
    constexpr ULONG SystemExtendedHandleInformation = 64;
    constexpr auto TooSmall = static_cast<LONG>(0xC0000004);
    std::vector<std::uint8_t> table;
    LONG status = TooSmall;
    for (std::size_t size = 1 << 16; status == TooSmall; size *= 2) {
        table.resize(size);
        status = NtQuerySystemInformation(SystemExtendedHandleInformation, table.data(), static_cast<ULONG>(size),
                                            nullptr);
    }
    if (status != 0)
        throw std::runtime_error("the system's handles cannot be listed");
    TTableHead head{};
    std::memcpy(&head, table.data(), sizeof head);
    if (sizeof head + head.Count * sizeof(THandleEntry) > table.size())
        throw std::runtime_error("the system's table of handles is cut short");
    const std::span entries(reinterpret_cast<const THandleEntry*>(table.data() + sizeof head), head.Count);
    return std::ranges::count(entries, ULONG_PTR{::GetCurrentProcessId()}, &THandleEntry::OwnerProcessId);
}
#else
std::ptrdiff_t OpenDescriptors()
{
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator());
}
#endif

// Each lookup opens a socket of its own; one left open per click would
// exhaust the process's descriptors in a long session.
TEST(DescriptorTest, ManyLookupsLeaveNoDescriptorOpen)
{
#ifdef _WIN32
    // A lookup costs milliseconds under Wine; a leak shows in fewer.
    constexpr int Lookups = 1'000;
    // Wine now and then holds a handle of its own for a moment after a socket
    // closes; a leak, a socket a click, would show as a thousand.
    constexpr std::ptrdiff_t Passing = 2;
#else
    constexpr int Lookups = 10'000;
    constexpr std::ptrdiff_t Passing = 0;
#endif
    // Wine never hands a refusal to the socket, so there the refused lookups
    // end by their bound: a short one.
    constexpr auto RefusedBound = 1ms;
    test::TLoopbackResponder responder(test::AbCdeMxReply(test::MxExchange));
    const TEndpoint refusing = test::RefusingEndpoint();
    TResultWindow window;
    TSystemSocketLibrary sockets;
    TLookupCommand answered(window, sockets, responder.Endpoint());
    TLookupCommand refused(window, sockets, refusing, RefusedBound);
    const std::ptrdiff_t before = OpenDescriptors();
    // A count of none would be a list that misses this process.
    ASSERT_GT(before, 0);

    for (int lookup = 0; lookup < Lookups; ++lookup)
        answered.Button1Click();
    EXPECT_LE(std::abs(OpenDescriptors() - before), Passing) << "after lookups that were answered";
    ASSERT_THAT(window.resultLines, SizeIs(Lookups));
    EXPECT_THAT(window.resultLines, Each("Search : ab.cde....   Find : mx.ab.cde"));

    window.resultLines.clear();
    for (int lookup = 0; lookup < Lookups; ++lookup)
        refused.Button1Click();
    EXPECT_LE(std::abs(OpenDescriptors() - before), Passing) << "after lookups that were refused";
    ASSERT_THAT(window.resultLines, SizeIs(Lookups));
    EXPECT_THAT(window.resultLines, Each(EmptyResultLine));
}

#ifdef _WIN32
// A lookup stops Windows Sockets as often as it starts them: the library is
// left as the test program's own start left it, which one stop ends.
TEST(DescriptorTest, ALookupStopsTheSocketLibraryItStarted)
{
    {
        test::TLoopbackResponder responder(test::AbCdeMxReply(test::MxExchange));
        TResultWindow window;
        TSystemSocketLibrary sockets;
        TLookupCommand(window, sockets, responder.Endpoint()).Button1Click();
        ASSERT_THAT(window.resultLines, ElementsAre("Search : ab.cde....   Find : mx.ab.cde"));
    }
    EXPECT_EQ(::WSACleanup(), 0) << "the library was not started";
    EXPECT_EQ(::WSACleanup(), SOCKET_ERROR) << "the library was started more often than stopped";
    EXPECT_EQ(::WSAGetLastError(), WSANOTINITIALISED);
    // The responders' start again, for those of later tests.
    WSADATA restarted;
    ASSERT_EQ(::WSAStartup(0x0002, &restarted), 0);
}
#endif

// Real sockets against responders on loopback, under conditions a resolver
// on the open network can create.
class FaultTest : public test::TLoopbackLookupTest {};

TEST_F(FaultTest, AFloodFromOtherPortsNeitherAnswersNorStretchesTheWait)
{
    constexpr auto Bound = 300ms;
    // Far longer than the bound, so that a wait restarted by every stray
    // datagram shows; it ends sooner once the lookup is over.
    constexpr auto FloodLimit = 5s;
    const Bytes forged = test::AbCdeMxReply({0x04, 'e', 'v', 'i', 'l', 0x00});
    std::atomic<bool> lookupOver{false};
    std::atomic<int> floodSize{0};
    test::TLoopbackResponder silent([&](std::span<const std::uint8_t>, const TEndpoint& sender) {
        const auto end = std::chrono::steady_clock::now() + FloodLimit;
        while (!lookupOver && std::chrono::steady_clock::now() < end) {
            test::SendFromAnotherPort(sender, forged);
            ++floodSize;
        }
        return Bytes{};
    });

    const auto start = std::chrono::steady_clock::now();
    Lookup(silent.Endpoint(), Bound);
    const auto waited = std::chrono::steady_clock::now() - start;
    lookupOver = true;

    EXPECT_GE(waited, Bound);
    EXPECT_LT(waited, Bound + 2s);
    EXPECT_GT(floodSize, 0);
    EXPECT_THAT(window.resultLines, ElementsAre(EmptyResultLine));
    EXPECT_THAT(window.replyLines, Each("0"));
}

TEST_F(FaultTest, AReplyAfterTheBoundDoesNotReachTheNextLookup)
{
    constexpr auto Bound = 100ms;
    std::atomic<bool> answered{false};
    test::TLoopbackResponder late([&](std::span<const std::uint8_t>, const TEndpoint&) {
        std::this_thread::sleep_for(3 * Bound);
        answered = true;
        return test::AbCdeMxReply(test::MxExchange);
    });
    test::TLoopbackResponder silent(Bytes{});

    Lookup(late.Endpoint(), Bound);
    while (!answered)
        std::this_thread::sleep_for(10ms);
    // The reply is sent right after the answer is given: let it land first.
    std::this_thread::sleep_for(50ms);
    Lookup(silent.Endpoint(), Bound);

    EXPECT_THAT(window.resultLines, ElementsAre(EmptyResultLine, EmptyResultLine));
    EXPECT_THAT(window.replyLines, SizeIs(ReplyBufferSize));
    EXPECT_THAT(window.replyLines, Each("0"));
}

#ifndef _WIN32
void IgnoreSignal(int) {}

// A signal delivered to the window thread while it waits (a child ending, a
// profiler's timer) interrupts the wait; the reply on its way must still be
// taken.
TEST_F(FaultTest, ASignalDuringTheWaitDoesNotEndIt)
{
    struct sigaction interrupting {};
    interrupting.sa_handler = IgnoreSignal;  // without SA_RESTART: the wait is interrupted
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGUSR1, &interrupting, &previous), 0);
    test::TLoopbackResponder slow([](std::span<const std::uint8_t>, const TEndpoint&) {
        std::this_thread::sleep_for(300ms);
        return test::AbCdeMxReply(test::MxExchange);
    });
    const pthread_t waiting = ::pthread_self();
    std::thread signaller([waiting] {
        std::this_thread::sleep_for(100ms);
        ::pthread_kill(waiting, SIGUSR1);
    });

    Lookup(slow.Endpoint());
    signaller.join();
    ::sigaction(SIGUSR1, &previous, nullptr);

    EXPECT_THAT(window.resultLines, ElementsAre("Search : ab.cde....   Find : mx.ab.cde"));
}
#endif

// Whatever is typed as the type, the click either sends it as a number or
// ends with the conversion error, before anything is sent or listed.
TEST(HostileTypeTextTest, ConvertsOrRaisesTheConversionErrorOnly)
{
    const struct {
        const char* name;
        std::string text;
        std::optional<std::uint16_t> sentType;
    } cases[] = {
        {"empty", "", std::nullopt},
        {"spaces", "   ", std::nullopt},
        {"padded", " \t15 ", 15},
        {"plus alone", "+", std::nullopt},
        {"minus alone", "-", std::nullopt},
        {"plus", "+15", 15},
        {"minus one", "-1", 0xFFFF},
        {"largest", "2147483647", 0xFFFF},
        {"one above the largest", "2147483648", std::nullopt},
        {"smallest", "-2147483648", 0x0000},
        {"one below the smallest", "-2147483649", std::nullopt},
        {"dollar alone", "$", std::nullopt},
        {"dollar hexadecimal", "$10", std::nullopt},
        {"C hexadecimal", "0x10", std::nullopt},
        {"letters", "MX", std::nullopt},
        {"NUL alone, trimmed away", std::string(1, '\0'), std::nullopt},
        {"NUL inside", std::string("1\0" "5", 3), std::nullopt},
        {"10000 nines", std::string(10'000, '9'), std::nullopt},
        {"10000 characters of leading zeros", std::string(9'998, '0') + "15", 15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TFakeWindow window;
        window.typeText = c.text;
        test::TFakeSocketLibrary sockets;
        TLookupCommand command(window, sockets, {"127.0.0.1", ResolverPort});
        bool conversionError = false;
        try {
            command.Button1Click();
        } catch (const EConvertError&) {
            conversionError = true;
        } catch (...) {
            ADD_FAILURE() << "an error other than the conversion error";
            continue;
        }
        if (!c.sentType) {
            EXPECT_TRUE(conversionError);
            EXPECT_THAT(sockets.sent, testing::IsEmpty());
            EXPECT_THAT(window.resultLines, testing::IsEmpty());
            EXPECT_THAT(window.replyLines, testing::IsEmpty());
            continue;
        }
        EXPECT_FALSE(conversionError);
        ASSERT_THAT(sockets.sent, SizeIs(1));
        // 'ab.cde' ends at offset 19; the type follows.
        ASSERT_THAT(sockets.sent[0], SizeIs(24));
        EXPECT_EQ(sockets.sent[0][20] << 8 | sockets.sent[0][21], *c.sentType);
        EXPECT_THAT(window.resultLines, SizeIs(1));
    }
}

}  // namespace
}  // namespace dnspeek
