#pragma once

#include "lookup/DnsMessage.h"
#include "platform/SocketLibrary.h"

#include <QListView>
#include <QObject>
#include <QStringList>
#include <QStringListModel>

#include <span>

namespace dnspeek::bench {

// What a lookup cannot do without: one exchange on a socket of its own,
// connected to the responder (socket, connect, send, poll, recv, close).
// False when no reply came within the lookup's bound.
bool ExchangeOnAFreshSocket(const TEndpoint& responder, std::span<const std::uint8_t> query, TReplyBuffer& reply);

// Counts the paints of every widget, so that a change can be followed until
// it is on screen.
class TPaintCounter final : public QObject {
public:
    TPaintCounter();

    // Serves events until something has been painted and a further pass
    // paints nothing. False when nothing was painted within a few passes.
    bool Settle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Serves the events waiting; returns how many paints they made.
    int Pass();

    int paints_ = 0;
};

// A shown list of ListBox2's size, font and settings on a plain string
// model: the floor of showing lines.
class TPlainList {
public:
    explicit TPlainList(const QListView& like);

    [[nodiscard]] bool Shown() const { return shown_; }
    // Replaces every line at once and waits until the list is painted.
    bool SetLines(const QStringList& lines, TPaintCounter& paints);

private:
    QListView list_;
    QStringListModel model_;
    bool shown_;
};

}  // namespace dnspeek::bench
