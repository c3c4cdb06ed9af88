#include "lookup/DnsMessage.h"

#include <bitset>
#include <string>

namespace dnspeek {

bool TQueryBuffer::Reserve(std::size_t count)
{
    if (ok_ && count <= QueryBuffer.size() - length_)
        return true;
    ok_ = false;
    return false;
}

void TQueryBuffer::PutU8(std::uint8_t value)
{
    if (Reserve(1))
        QueryBuffer[length_++] = value;
}

void TQueryBuffer::PutU16BE(std::uint16_t value)
{
    if (!Reserve(2))
        return;
    QueryBuffer[length_++] = static_cast<std::uint8_t>(value >> 8);
    QueryBuffer[length_++] = static_cast<std::uint8_t>(value & 0xFF);
}

void TQueryBuffer::PutBytes(std::string_view bytes)
{
    if (!Reserve(bytes.size()))
        return;
    for (const char byte : bytes)
        QueryBuffer[length_++] = static_cast<std::uint8_t>(byte);
}

namespace {

// Writes the host text as labels split at its dots, then the root label. An
// empty label (a leading dot, two dots in a row) is written with length 0; a
// final dot adds nothing.
void EncodeName(TQueryBuffer& query, std::string_view text)
{
    std::size_t encodedSize = 1;  // the root label's zero byte
    while (!text.empty()) {
        const std::size_t dot = text.find('.');
        const std::string_view label = text.substr(0, dot);
        if (label.size() > MaxLabelLength)
            throw Exception("The host name has a label of " + std::to_string(label.size())
                            + " characters; a label can have at most " + std::to_string(MaxLabelLength) + ".");
        encodedSize += 1 + label.size();
        if (encodedSize > MaxEncodedNameSize)
            throw Exception("The host name is too long: its encoded form can have at most "
                            + std::to_string(MaxEncodedNameSize) + " bytes.");
        query.PutU8(static_cast<std::uint8_t>(label.size()));
        query.PutBytes(label);
        text.remove_prefix(dot == std::string_view::npos ? text.size() : dot + 1);
    }
    query.PutU8(0);
}

// A cursor over ReplyBuffer. A read at or past its end returns 0 and ends
// the reading: the cursor stays failed, so every later read returns 0 too.
class TReplyReader {
public:
    explicit TReplyReader(const TReplyBuffer& buffer) : buffer_(buffer) {}

    std::uint8_t GetU8()
    {
        if (!ok_ || position_ >= buffer_.size()) {
            ok_ = false;
            return 0;
        }
        return buffer_[position_++];
    }

    std::uint16_t GetU16BE()
    {
        const std::uint8_t high = GetU8();
        const std::uint8_t low = GetU8();
        return static_cast<std::uint16_t>(high << 8 | low);
    }

    void Skip(std::size_t count) { position_ += count; }
    void Seek(std::size_t offset) { position_ = offset; }
    [[nodiscard]] std::size_t Position() const { return position_; }
    [[nodiscard]] bool Ok() const { return ok_; }

private:
    const TReplyBuffer& buffer_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

constexpr std::size_t AnswerCountOffset = 6;
// The question follows the header.
constexpr std::size_t QuestionOffset = HeaderSize;
constexpr std::uint8_t TypeMailExchanger = 15;
constexpr unsigned CompressionPointer = 192;

char SevenBit(std::uint8_t byte)
{
    return static_cast<char>(byte & 0x7F);
}

// When a read reaches the end of ReplyBuffer, or a compression pointer is met
// a second time at the same position, the reading stops there and the text
// keeps every character appended so far, final dot included.

// Labels from offset 12 to the zero byte. Every length byte is a label length
// here, 192 and above included: the question name is never compressed.
ByteString ReadQuestionName(TReplyReader& reader)
{
    ByteString name;
    reader.Seek(QuestionOffset);
    unsigned count = reader.GetU8();
    while (count != 0) {
        const std::uint8_t byte = reader.GetU8();
        if (!reader.Ok())
            return name;
        name.push_back(SevenBit(byte));
        if (--count == 0) {
            name.push_back('.');
            count = reader.GetU8();
        }
    }
    if (reader.Ok() && !name.empty())
        name.pop_back();
    return name;
}

// The exchange name, following pointers. The pointer test comes first in
// every turn, so it also meets what is left of a label's count: a length byte
// of 193 to 255 gives (length - 192) characters and then a pointer.
ByteString ReadMailExchanger(TReplyReader& reader)
{
    ByteString value;
    // A pointer met again at the same place would send the reading round the
    // same names forever.
    std::bitset<ReplyBufferSize> pointersMet;
    unsigned count = reader.GetU8();
    while (count != 0) {
        if (count == CompressionPointer) {
            const std::size_t at = reader.Position();
            if (at >= pointersMet.size() || pointersMet[at])
                return value;
            pointersMet[at] = true;
            reader.Seek(reader.GetU8());
            count = reader.GetU8();
            continue;
        }
        const std::uint8_t byte = reader.GetU8();
        if (!reader.Ok())
            return value;
        value.push_back(SevenBit(byte));
        if (--count == 0) {
            count = reader.GetU8();
            if (!reader.Ok())
                return value;
            value.push_back('.');
        }
    }
    if (reader.Ok() && !value.empty())
        value.pop_back();
    return value;
}

}  // namespace

TQueryBuffer BuildQuery(std::string_view hostText, std::string_view typeText)
{
    TQueryBuffer query;
    query.PutU16BE(QueryId);
    query.PutU8(HeaderFlagsByte);
    query.PutU8(0);  // RA, Z, RCODE
    query.PutU16BE(1);  // questions
    query.PutU16BE(0);  // answers
    query.PutU16BE(0);  // authority records
    query.PutU16BE(0);  // additional records
    EncodeName(query, hostText);
    // Only the low 16 bits of the number are sent: "-1" gives FF FF.
    query.PutU16BE(static_cast<std::uint16_t>(StrToInt(Trim(typeText))));
    query.PutU16BE(QueryClassInternet);
    return query;
}

TLookupResult ReadReply(const TReplyBuffer& ReplyBuffer, std::string_view keptHostText, std::string_view typeText)
{
    TReplyReader reader(ReplyBuffer);
    reader.Seek(AnswerCountOffset);
    if (reader.GetU16BE() == 0)
        return {};

    // The type is compared as text: "015" and "+1" are not "15" and "1".
    const ByteString type = Trim(typeText);
    TLookupResult result;
    result.QuestionName = ReadQuestionName(reader);
    // QTYPE 2, QCLASS 2, the answer owner's pointer 2, the TYPE high byte 1.
    reader.Skip(7);
    const std::uint8_t answerTypeLow = reader.GetU8();
    if (answerTypeLow == TypeMailExchanger && Trim(result.QuestionName) == Trim(keptHostText) && type == "15") {
        // CLASS 2, TTL 4, RDLENGTH 2, PREFERENCE 2.
        reader.Skip(10);
        result.FoundValue = ReadMailExchanger(reader);
    }
    if (type == "1")
        result.FoundValue = result.QuestionName;
    return result;
}

}  // namespace dnspeek
