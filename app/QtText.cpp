#include "app/QtText.h"

#include <QByteArray>

namespace dnspeek {

ByteString ToByteString(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return ByteString(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace dnspeek
