#include "app/Button.h"

#include <QKeyEvent>

namespace dnspeek {

void TButton::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter) {
        QPushButton::keyPressEvent(event);
        return;
    }
    // A key held down presses the button once.
    if (!event->isAutoRepeat())
        click();
}

}  // namespace dnspeek
