#include "lookup/LookupCommand.h"
#include "tests/support/Fakes.h"
#include "tests/support/Replies.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace dnspeek {
namespace {

using test::Bytes;
using testing::ElementsAre;
using testing::Each;
using testing::IsEmpty;
using testing::SizeIs;

class LookupCommandTest : public testing::Test {
protected:
    test::TFakeWindow window;
    test::TFakeSocketLibrary sockets;
    TLookupCommand command{window, sockets};
};

TEST_F(LookupCommandTest, MailExchangerLookupFromEndToEnd)
{
    window.hostText = "  ab.cde \t";
    sockets.replies.push_back(test::AbCdeMxReply(test::MxExchange));
    command.Button1Click();

    EXPECT_EQ(sockets.requestedVersion, 0x0002);
    ASSERT_THAT(sockets.sent, SizeIs(1));
    EXPECT_THAT(sockets.sent[0], ElementsAre(0x11, 0xDF, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                             0x02, 'a', 'b', 0x03, 'c', 'd', 'e', 0x00, 0x00, 0x0F, 0x00, 0x01));
    ASSERT_THAT(sockets.peers, SizeIs(1));
    EXPECT_EQ(sockets.peers[0].Address, ResolverAddress);
    EXPECT_EQ(sockets.peers[0].Port, 53);
    EXPECT_EQ(sockets.openSockets, 0);
    EXPECT_THAT(window.calls, ElementsAre("clear reply", "append reply", "status Windows Sockets is closed.",
                                          "append result"));
    EXPECT_THAT(window.resultLines, ElementsAre("Search : ab.cde....   Find : mx.ab.cde"));
    ASSERT_THAT(window.replyLines, SizeIs(ReplyBufferSize));
    EXPECT_EQ(window.replyLines[0], "17");
    EXPECT_EQ(window.replyLines[1], "223");
    EXPECT_EQ(window.replyLines[2], "129");
    EXPECT_EQ(window.replyLines[9], "0");
    EXPECT_THAT(std::vector(window.replyLines.begin() + 43, window.replyLines.end()), Each("0"));
    EXPECT_EQ(sockets.cleanups, 1);
}

TEST_F(LookupCommandTest, ThreeLookupsLeaveThreeLinesAndTheLastReply)
{
    sockets.replies.push_back(test::AbCdeMxReply(test::MxExchange));
    sockets.replies.push_back(test::AbCdeMxReply(test::MxExchange));
    sockets.replies.push_back(Bytes{0xFF, 0xFE});
    command.Button1Click();
    window.typeText = "1";
    command.Button1Click();
    command.Button1Click();

    EXPECT_THAT(window.resultLines, ElementsAre("Search : ab.cde....   Find : mx.ab.cde",
                                                "Search : ab.cde....   Find : ab.cde",
                                                "Search : ....   Find : "));
    ASSERT_THAT(window.replyLines, SizeIs(ReplyBufferSize));
    EXPECT_EQ(window.replyLines[0], "255");
    EXPECT_EQ(window.replyLines[1], "254");
    EXPECT_THAT(std::vector(window.replyLines.begin() + 2, window.replyLines.end()), Each("0"));
}

TEST_F(LookupCommandTest, NoReplyListsZerosAndNothingOfAnEarlierReply)
{
    sockets.replies.push_back(test::AbCdeMxReply(test::MxExchange));
    command.Button1Click();
    command.Button1Click();  // no reply this time

    EXPECT_THAT(window.resultLines, ElementsAre("Search : ab.cde....   Find : mx.ab.cde",
                                                "Search : ....   Find : "));
    EXPECT_THAT(window.replyLines, SizeIs(ReplyBufferSize));
    EXPECT_THAT(window.replyLines, Each("0"));
    EXPECT_EQ(window.statusText, "Windows Sockets is closed.");
}

// Offline, connect or send fails at once; no reply can come, so the click
// must not wait for one.
TEST_F(LookupCommandTest, AFailedConnectOrSendSkipsTheWait)
{
    for (const bool connectFails : {true, false}) {
        test::TFakeWindow offline;
        test::TFakeSocketLibrary library;
        library.connectFails = connectFails;
        library.sendFails = !connectFails;
        library.replies.push_back(test::AbCdeMxReply(test::MxExchange));
        TLookupCommand(offline, library).Button1Click();

        EXPECT_EQ(library.receives, 0) << "connect fails: " << connectFails;
        EXPECT_THAT(offline.resultLines, ElementsAre("Search : ....   Find : "));
        EXPECT_THAT(offline.replyLines, Each("0"));
        EXPECT_EQ(offline.statusText, "Windows Sockets is closed.");
    }
}

TEST_F(LookupCommandTest, StartFailuresShowOneBoxAndAddAnEmptyLine)
{
    const struct {
        int startResult;
        std::uint16_t grantedVersion;
        const char* box;
    } cases[] = {
        {10091, 0x0002, "Windows Socket is not responded."},
        {0, 0x0001, "Sockets version is not supported by Windows Sockets."},
        {0, 0x0000, "Sockets version is not supported by Windows Sockets."},
    };
    for (const auto& c : cases) {
        test::TFakeWindow failing;
        failing.typeText = "abc";  // never converted when the library does not start
        failing.replyLines = {"earlier"};
        test::TFakeSocketLibrary library;
        library.startResult = c.startResult;
        library.grantedVersion = c.grantedVersion;
        TLookupCommand(failing, library).Button1Click();

        EXPECT_THAT(failing.boxes, ElementsAre(c.box));
        EXPECT_EQ(failing.statusText, "Windows Sockets is not available.");
        EXPECT_THAT(failing.resultLines, ElementsAre("Search : ....   Find : "));
        EXPECT_THAT(failing.replyLines, ElementsAre("earlier"));
        EXPECT_THAT(library.sent, IsEmpty());
        EXPECT_EQ(library.cleanups, 0) << "a failed start is never followed by a stop";
    }
}

TEST_F(LookupCommandTest, VersionWordsAreComparedWhole)
{
    sockets.grantedVersion = 0x0101;  // 1.1 is above 0x0002 as a word
    command.Button1Click();
    EXPECT_THAT(window.boxes, IsEmpty());
    EXPECT_EQ(window.statusText, "Windows Sockets is closed.");
    EXPECT_THAT(sockets.sent, SizeIs(1));
}

TEST_F(LookupCommandTest, StopFailureAndBlockingCall)
{
    sockets.cleanupResult = 10093;
    sockets.blocking = true;
    sockets.replies.push_back(test::AbCdeMxReply(test::MxExchange));
    command.Button1Click();
    EXPECT_EQ(window.statusText, "Windows Sockets can not be closed.");
    EXPECT_EQ(sockets.cancels, 1);
    EXPECT_THAT(window.resultLines, ElementsAre("Search : ab.cde....   Find : mx.ab.cde"));
}

TEST_F(LookupCommandTest, RejectedTextsEndTheClickBeforeAnythingIsSent)
{
    const struct {
        std::string host;
        std::string type;
        bool conversion;
    } cases[] = {
        {"ab.cde", "abc", true},
        {"ab.cde", "", true},
        {std::string(200, 'a'), "15", false},
        {std::string(1'000'000, 'a') + ".", "15", false},
    };
    for (const auto& c : cases) {
        window.hostText = c.host;
        window.typeText = c.type;
        window.statusText = "before";
        const auto startsBefore = sockets.starts;
        // Braced: cppcheck reads EXPECT_THROW as a bare try block, which ends
        // the if before its else.
        if (c.conversion) {
            EXPECT_THROW(command.Button1Click(), EConvertError);
        } else {
            EXPECT_THROW(command.Button1Click(), Exception);
        }
        EXPECT_EQ(sockets.starts, startsBefore + 1);
    }
    EXPECT_THAT(window.resultLines, IsEmpty());
    EXPECT_THAT(window.replyLines, IsEmpty());
    EXPECT_EQ(window.statusText, "before");
    EXPECT_THAT(sockets.sent, IsEmpty());
    EXPECT_EQ(sockets.openSockets, 0);
    EXPECT_EQ(sockets.cleanups, 0) << "the library stays started after a rejected text";

    window.hostText = "ab.cde";
    window.typeText = "15";
    command.Button1Click();
    EXPECT_THAT(window.resultLines, SizeIs(1));
}

}  // namespace
}  // namespace dnspeek
