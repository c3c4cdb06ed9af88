#include "lookup/DnsMessage.h"
#include "tests/support/Replies.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace dnspeek {
namespace {

using test::Bytes;
using test::Concat;
using testing::ElementsAreArray;

Bytes QueryBytes(std::string_view host, std::string_view type)
{
    // Message() looks into the query, so the query must outlive it.
    const TQueryBuffer query = BuildQuery(host, type);
    const auto message = query.Message();
    return {message.begin(), message.end()};
}

// The 12 header bytes every query starts with.
const Bytes Header{
    0x11, 0xDF,  // identifier 4575
    0x01, 0x00,  // flags: a query asking for recursion
    0x00, 0x01,  // one question
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // no answer, authority or additional records
};

Bytes Label(std::size_t length, char fill = 'a')
{
    Bytes bytes(length + 1, static_cast<std::uint8_t>(fill));
    bytes[0] = static_cast<std::uint8_t>(length);
    return bytes;
}

TEST(BuildQueryTest, WritesHeaderNameTypeAndClassByteForByte)
{
    const std::string label64(64, 'a');
    const std::string longestLabel(MaxLabelLength, 'a');
    const struct {
        std::string host;
        std::string type;
        Bytes afterHeader;
    } cases[] = {
        {"ab.cde", "15", {0x02, 'a', 'b', 0x03, 'c', 'd', 'e', 0x00, 0x00, 0x0F, 0x00, 0x01}},
        {"ab.cde", "1", {0x02, 'a', 'b', 0x03, 'c', 'd', 'e', 0x00, 0x00, 0x01, 0x00, 0x01}},
        {"ab.cde.", "15", {0x02, 'a', 'b', 0x03, 'c', 'd', 'e', 0x00, 0x00, 0x0F, 0x00, 0x01}},
        {"", "1", {0x00, 0x00, 0x01, 0x00, 0x01}},
        {"a..b", "1", {0x01, 'a', 0x00, 0x01, 'b', 0x00, 0x00, 0x01, 0x00, 0x01}},
        {".a", "1", {0x00, 0x01, 'a', 0x00, 0x00, 0x01, 0x00, 0x01}},
        {".", "1", {0x00, 0x00, 0x00, 0x01, 0x00, 0x01}},
        {"AbC", "1", {0x03, 'A', 'b', 'C', 0x00, 0x00, 0x01, 0x00, 0x01}},  // no case folding
        {"\xC3\xA9", "1", {0x02, 0xC3, 0xA9, 0x00, 0x00, 0x01, 0x00, 0x01}},  // UTF-8 bytes as typed
        {"a b", "1", {0x03, 'a', ' ', 'b', 0x00, 0x00, 0x01, 0x00, 0x01}},
        {"x", " 15 ", {0x01, 'x', 0x00, 0x00, 0x0F, 0x00, 0x01}},
        {"x", "015", {0x01, 'x', 0x00, 0x00, 0x0F, 0x00, 0x01}},
        {"x", "-1", {0x01, 'x', 0x00, 0xFF, 0xFF, 0x00, 0x01}},
        {"x", "65551", {0x01, 'x', 0x00, 0x00, 0x0F, 0x00, 0x01}},  // only the low 16 bits
        {"x", "-2147483648", {0x01, 'x', 0x00, 0x00, 0x00, 0x00, 0x01}},
        {label64, "1", Concat({Label(64), {0x00, 0x00, 0x01, 0x00, 0x01}})},
        {longestLabel, "1", Concat({Label(MaxLabelLength), {0x00, 0x00, 0x01, 0x00, 0x01}})},
    };
    for (const auto& c : cases)
        EXPECT_THAT(QueryBytes(c.host, c.type), ElementsAreArray(Concat({Header, c.afterHeader})))
            << "host '" << c.host << "' type '" << c.type << "'";
}

// Labels of 63 characters and a last one, so that the name takes `size` bytes.
std::string HostEncodedIn(std::size_t size)
{
    std::string host;
    std::size_t left = size - 1;  // the root label's zero byte
    while (left > 64) {
        host += std::string(63, 'a') + ".";
        left -= 64;
    }
    return host + std::string(left - 1, 'b');
}

TEST(BuildQueryTest, LongestNameFillsTheBufferExactly)
{
    const std::string host = HostEncodedIn(MaxEncodedNameSize);
    const TQueryBuffer query = BuildQuery(host, "15");
    ASSERT_TRUE(query.Ok());
    EXPECT_EQ(query.Message().size(), QueryBufferSize);
    EXPECT_THAT(query.Message().last(4), ElementsAreArray({0x00, 0x0F, 0x00, 0x01}));
}

std::string RejectionOf(std::string_view host, std::string_view type)
{
    try {
        (void)BuildQuery(host, type);
    } catch (const EConvertError& error) {
        return std::string("conversion: ") + error.what();
    } catch (const Exception& error) {
        return error.what();
    }
    return "accepted";
}

TEST(BuildQueryTest, RejectsHostTextsThatCannotBeEncodedBeforeReadingTheType)
{
    using testing::HasSubstr;
    EXPECT_THAT(RejectionOf(std::string(MaxLabelLength + 1, 'a'), "15"), HasSubstr("label of 128 characters"));
    EXPECT_THAT(RejectionOf("ab." + std::string(130, 'a') + ".cde", "abc"), HasSubstr("label of 130 characters"));
    EXPECT_THAT(RejectionOf(HostEncodedIn(MaxEncodedNameSize + 1), "15"), HasSubstr("too long"));
    EXPECT_THAT(RejectionOf(HostEncodedIn(MaxEncodedNameSize + 1), "abc"), HasSubstr("too long"));
    EXPECT_THAT(RejectionOf(std::string(1'000'000, '.'), "15"), HasSubstr("too long"));
    EXPECT_THAT(RejectionOf(std::string(1'000'000, 'a'), "15"), HasSubstr("label of 1000000"));
}

TEST(BuildQueryTest, RejectsTypeTextsThatAreNotNumbers)
{
    for (const char* type : {"", "abc", "15a", "0x0F", "2147483648", " "})
        EXPECT_THAT(RejectionOf("ab.cde", type), testing::StartsWith("conversion: ")) << type;
}

TEST(QueryBufferTest, AWriteThatDoesNotFitWritesNothing)
{
    TQueryBuffer query;
    query.PutBytes(std::string(QueryBufferSize - 1, 'x'));
    query.PutU16BE(0x1234);  // needs two bytes, one is left
    EXPECT_FALSE(query.Ok());
    EXPECT_EQ(query.Message().size(), QueryBufferSize - 1);
    query.PutU8(0x55);  // would fit, but the buffer has failed
    EXPECT_EQ(query.Message().size(), QueryBufferSize - 1);

    TQueryBuffer full;
    full.PutBytes(std::string(QueryBufferSize - 1, 'x'));
    full.PutU8(0x55);  // the last byte that fits
    EXPECT_TRUE(full.Ok());
    full.PutBytes("y");
    EXPECT_FALSE(full.Ok());
    EXPECT_EQ(full.Message().size(), QueryBufferSize);
    EXPECT_EQ(full.Message().back(), 0x55);
}

TLookupResult Read(const Bytes& reply, std::string_view host = "ab.cde", std::string_view type = "15")
{
    return ReadReply(test::InReplyBuffer(reply), host, type);
}

MATCHER_P2(IsResult, questionName, foundValue, "")
{
    *result_listener << "('" << arg.QuestionName << "', '" << arg.FoundValue << "')";
    return arg.QuestionName == questionName && arg.FoundValue == foundValue;
}

TEST(ReadReplyTest, ReadsEchoedNameAndMailExchanger)
{
    using test::AbCdeMxReply;
    using test::MxExchange;
    const Bytes mx = AbCdeMxReply(MxExchange);
    const Bytes pointerAlone = AbCdeMxReply({0xC0, 0x0C});
    const Bytes noAnswers = Concat({test::ReplyHeader(0), test::AbCdeQuestion(15)});
    const Bytes cname = Concat({test::ReplyHeader(1), test::AbCdeQuestion(15), test::AnswerHead(5, 5), MxExchange});
    Bytes upperBit = mx;
    upperBit[13] = 0xE1;  // 'a' with its top bit set
    Bytes shortPointer = AbCdeMxReply({0xC1, 'x', 0x0C});  // 193: one character, then a pointer
    Bytes qnameWith192 = Concat({test::ReplyHeader(1), {0xC0}, Bytes(192, 'q'), {0x00}});
    Bytes answers256 = mx;
    answers256[6] = 0x01;  // 256 answers: only the high byte is set
    answers256[7] = 0x00;
    const Bytes echoedWithBlank = test::MxReply({0x02, 'a', 'b', 0x04, 'c', 'd', 'e', ' ', 0x00}, MxExchange);
    const Bytes echoedWithA0 = test::MxReply({0x02, 'a', 'b', 0x04, 'c', 'd', 'e', 0xA0, 0x00}, MxExchange);

    const struct {
        const char* name;
        const Bytes& reply;
        std::string host;
        std::string type;
        std::string questionName;
        std::string foundValue;
    } cases[] = {
        {"mail exchanger", mx, "ab.cde", "15", "ab.cde", "mx.ab.cde"},
        {"pointer alone", pointerAlone, "ab.cde", "15", "ab.cde", "ab.cde"},
        {"type 1 takes the question name", mx, "ab.cde", "1", "ab.cde", "ab.cde"},
        {"type text trimmed", mx, "ab.cde", " 15 ", "ab.cde", "mx.ab.cde"},
        {"type text compared as text", mx, "ab.cde", "015", "ab.cde", ""},
        {"type 1 compared as text: 01", mx, "ab.cde", "01", "ab.cde", ""},
        {"type 1 compared as text: +1", mx, "ab.cde", "+1", "ab.cde", ""},
        {"type 1 trimmed", mx, "ab.cde", " 1 ", "ab.cde", "ab.cde"},
        {"256 answers", answers256, "ab.cde", "15", "ab.cde", "mx.ab.cde"},
        {"echoed name trimmed: a blank", echoedWithBlank, "ab.cde", "15", "ab.cde ", "mx.ab.cde "},
        {"echoed name trimmed: 0xA0 masked to a blank", echoedWithA0, "ab.cde", "15", "ab.cde ", "mx.ab.cde "},
        {"other types find nothing", mx, "ab.cde", "2", "ab.cde", ""},
        {"answer count 0", noAnswers, "ab.cde", "15", "", ""},
        {"answer count 0, type 1", noAnswers, "ab.cde", "1", "", ""},
        {"first answer not an MX", cname, "ab.cde", "15", "ab.cde", ""},
        {"host typed in capitals", mx, "AB.CDE", "15", "ab.cde", ""},
        {"host typed with a final dot", mx, "ab.cde.", "15", "ab.cde", ""},
        {"kept host text trimmed", mx, " ab.cde ", "15", "ab.cde", "mx.ab.cde"},
        {"top bit cleared", upperBit, "ab.cde", "15", "ab.cde", "mx.ab.cde"},
        {"length 193", shortPointer, "ab.cde", "15", "ab.cde", "xab.cde"},
        {"192 is a label length in the question", qnameWith192, "", "1", std::string(192, 'q'), std::string(192, 'q')},
        {"empty reply", {}, "ab.cde", "1", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_THAT(Read(c.reply, c.host, c.type), IsResult(c.questionName, c.foundValue)) << c.name;
}

TEST(ReadReplyTest, StopsAtAPointerMetTwice)
{
    // At offset 38 the exchange name starts.
    const struct {
        const char* name;
        Bytes exchange;
        std::string foundValue;
    } cases[] = {
        {"pointer to itself", {0xC0, 0x26}, ""},
        {"two pointers to each other", {0xC0, 0x2A, 0x00, 0x00, 0xC0, 0x26}, ""},
        {"a label and a pointer back to it", {0x01, 'x', 0xC0, 0x26}, "x.x."},
    };
    for (const auto& c : cases)
        EXPECT_THAT(Read(test::AbCdeMxReply(c.exchange)), IsResult("ab.cde", c.foundValue)) << c.name;
}

TEST(ReadReplyTest, FollowsALongChainOfPointersToItsEnd)
{
    TReplyBuffer reply = test::InReplyBuffer(test::AbCdeMxReply({0xC0, 60}));
    // Pointers at 60, 62, ..., 252, each to the next, then 'z' at 254.
    std::size_t at = 60;
    for (; at < 254; at += 2) {
        reply[at] = 0xC0;
        reply[at + 1] = static_cast<std::uint8_t>(at + 2);
    }
    reply[254] = 0x01;
    reply[255] = 'z';
    EXPECT_THAT(ReadReply(reply, "ab.cde", "15"), IsResult("ab.cde", "z"));
}

TEST(ReadReplyTest, NamesRunningPastTheBufferKeepWhatWasRead)
{
    TReplyBuffer ones;
    ones.fill(0xFF);
    // From offset 13, labels of 255 characters: seven whole ones with their
    // dots, then 243 characters before the buffer ends.
    std::string name;
    for (int label = 0; label < 7; ++label)
        name += std::string(255, '\x7F') + ".";
    name += std::string(243, '\x7F');
    EXPECT_THAT(ReadReply(ones, "ab.cde", "15"), IsResult(name, ""));
    EXPECT_THAT(ReadReply(ones, "ab.cde", "1"), IsResult(name, name));

    // A question name placed so that the exchange name 'mx' ends on the last
    // byte: the count after it would be at offset 2048.
    std::string host;
    Bytes question;
    for (int label = 0; label < 31; ++label) {
        host += std::string(63, 'a') + ".";
        question = Concat({question, Label(63)});
    }
    host += std::string(29, 'a');
    question = Concat({question, Label(29), {0x00}});
    const Bytes nearEnd = Concat({test::ReplyHeader(1), question, {0x00, 0x0F, 0x00, 0x01},
                                  test::AnswerHead(15, 3), {0x02, 'm', 'x'}});
    ASSERT_EQ(nearEnd.size(), ReplyBufferSize);
    EXPECT_THAT(Read(nearEnd, host), IsResult(host, "mx"));
}

// The missing bytes of a truncated reply read as zeros: the echoed name keeps
// its place, with NULs where bytes are missing.
bool MatchesWithGaps(const std::string& read, const std::string& whole)
{
    if (read.size() > whole.size())
        return false;
    for (std::size_t i = 0; i < read.size(); ++i)
        if (read[i] != whole[i] && read[i] != '\0')
            return false;
    return true;
}

TEST(ReadReplyTest, EveryTruncationOfAnMxReplyEnds)
{
    const Bytes whole = test::AbCdeMxReply(test::MxExchange);
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const TLookupResult result = Read(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)));
        EXPECT_TRUE(MatchesWithGaps(result.QuestionName, "ab.cde")) << size;
    }
    EXPECT_THAT(Read(whole), IsResult("ab.cde", "mx.ab.cde"));
}

}  // namespace
}  // namespace dnspeek
