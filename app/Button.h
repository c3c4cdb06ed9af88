#pragma once

#include <QPushButton>

class QKeyEvent;

namespace dnspeek {

// A push button as on every desktop: with the focus, Enter presses it as
// Space does. It is never a default button, so Enter elsewhere in the window
// leaves it alone.
class TButton final : public QPushButton {
    Q_OBJECT

public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace dnspeek
