#include "bench/Floors.h"

#include "lookup/LookupCommand.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTest>

namespace dnspeek::bench {

bool ExchangeOnAFreshSocket(const TEndpoint& responder, std::span<const std::uint8_t> query, TReplyBuffer& reply)
{
    constexpr auto BoundMilliseconds = static_cast<int>(ReceiveBound.count());
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(responder.Port);
    ::inet_pton(AF_INET, responder.Address.c_str(), &address.sin_addr);
    pollfd waiting{fd, POLLIN, 0};
    const bool answered = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0
        && ::send(fd, query.data(), query.size(), 0) == static_cast<ssize_t>(query.size())
        && ::poll(&waiting, 1, BoundMilliseconds) == 1 && ::recv(fd, reply.data(), reply.size(), 0) > 0;
    ::close(fd);
    return answered;
}

TPaintCounter::TPaintCounter()
{
    QCoreApplication::instance()->installEventFilter(this);
}

// eventFilter counts the paints meanwhile, which the analysers do not see.
int TPaintCounter::Pass()  // NOLINT(readability-make-member-function-const)
{
    const int before = paints_;
    QCoreApplication::processEvents();
    return paints_ - before;  // cppcheck-suppress duplicateExpression
}

bool TPaintCounter::Settle()
{
    // The list lays itself out from a timer and only then asks for its
    // paint, so one pass of the event loop is not enough.
    constexpr int MaxPasses = 8;
    bool painted = false;
    for (int pass = 0; pass < MaxPasses; ++pass) {
        // Pass counts the paints of its events, which cppcheck takes for none.
        // cppcheck-suppress knownConditionTrueFalse
        const bool paintedNow = Pass() > 0;
        // cppcheck-suppress knownConditionTrueFalse
        if (painted && !paintedNow)
            return true;
        painted = painted || paintedNow;
    }
    return false;
}

bool TPaintCounter::eventFilter(QObject*, QEvent* event)
{
    if (event->type() == QEvent::Paint)
        ++paints_;
    return false;
}

namespace {

bool ShowLike(QListView& list, QStringListModel& model, const QListView& like)
{
    list.setFont(like.font());
    list.resize(like.size());
    list.setUniformItemSizes(like.uniformItemSizes());
    list.setSelectionMode(like.selectionMode());
    list.setEditTriggers(like.editTriggers());
    list.setModel(&model);
    list.show();
    return QTest::qWaitForWindowExposed(&list);
}

}  // namespace

TPlainList::TPlainList(const QListView& like) : shown_(ShowLike(list_, model_, like)) {}

bool TPlainList::SetLines(const QStringList& lines, TPaintCounter& paints)
{
    model_.setStringList(lines);
    return paints.Settle();
}

}  // namespace dnspeek::bench
