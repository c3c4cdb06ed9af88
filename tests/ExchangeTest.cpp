#include "lookup/LookupCommand.h"
#include "tests/LoopbackLookupTest.h"
#include "tests/support/Replies.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

namespace dnspeek {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using testing::ElementsAre;
using testing::Each;
using testing::SizeIs;

class ExchangeTest : public test::TLoopbackLookupTest {};

TEST_F(ExchangeTest, SendsTheQueryAndReadsTheReply)
{
    test::TLoopbackResponder responder(test::AbCdeMxReply(test::MxExchange));
    Lookup(responder.Endpoint());
    window.typeText = "1";
    Lookup(responder.Endpoint());

    ASSERT_THAT(responder.Queries(), SizeIs(2));
    EXPECT_THAT(responder.Queries()[0], ElementsAre(0x11, 0xDF, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                    0x00, 0x02, 'a', 'b', 0x03, 'c', 'd', 'e', 0x00, 0x00, 0x0F, 0x00,
                                                    0x01));
    EXPECT_THAT(window.resultLines, ElementsAre("Search : ab.cde....   Find : mx.ab.cde",
                                                "Search : ab.cde....   Find : ab.cde"));
    EXPECT_EQ(window.statusText, "Windows Sockets is closed.");
    EXPECT_THAT(window.replyLines, SizeIs(ReplyBufferSize));
}

TEST_F(ExchangeTest, AReplyFillsTheBufferToItsLastByteAndNoFurther)
{
    for (const std::size_t size : {ReplyBufferSize, ReplyBufferSize + 952}) {
        SCOPED_TRACE(size);
        Bytes reply = test::AbCdeMxReply(test::MxExchange);
        reply.resize(size, 0x07);
        reply[ReplyBufferSize - 1] = 0xFF;
        test::TLoopbackResponder responder(reply);
        Lookup(responder.Endpoint());
        ASSERT_THAT(window.replyLines, SizeIs(ReplyBufferSize));
        EXPECT_EQ(window.replyLines[ReplyBufferSize - 2], "7");
        EXPECT_EQ(window.replyLines[ReplyBufferSize - 1], "255");
        EXPECT_EQ(window.resultLines.back(), "Search : ab.cde....   Find : mx.ab.cde");
    }
}

TEST_F(ExchangeTest, TakesTheReplyFromTheResolverAlone)
{
    const Bytes forged = test::AbCdeMxReply({0x04, 'e', 'v', 'i', 'l', 0x00});
    test::TLoopbackResponder responder([&](std::span<const std::uint8_t>, const TEndpoint& sender) {
        test::SendFromAnotherPort(sender, forged);
        return test::AbCdeMxReply(test::MxExchange);
    });
    Lookup(responder.Endpoint());
    EXPECT_THAT(window.resultLines, ElementsAre("Search : ab.cde....   Find : mx.ab.cde"));
}

TEST_F(ExchangeTest, NoReplyEndsByTheBoundWithEmptyTexts)
{
    test::TLoopbackResponder silent(Bytes{});
    const auto start = std::chrono::steady_clock::now();
    Lookup(silent.Endpoint(), 200ms);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
    EXPECT_THAT(silent.Queries(), SizeIs(1));
    EXPECT_THAT(window.resultLines, ElementsAre("Search : ....   Find : "));
    EXPECT_THAT(window.replyLines, Each("0"));
    EXPECT_EQ(window.statusText, "Windows Sockets is closed.");
}

TEST_F(ExchangeTest, ARefusalEndsTheWaitAtOnce)
{
    // A bound far beyond the test's own timeout: only the refusal can end it.
    const auto start = std::chrono::steady_clock::now();
    Lookup(test::RefusingEndpoint(), std::chrono::hours(1));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
    EXPECT_THAT(window.resultLines, ElementsAre("Search : ....   Find : "));
    EXPECT_EQ(window.statusText, "Windows Sockets is closed.");
}

}  // namespace
}  // namespace dnspeek
