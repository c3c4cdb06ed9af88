#include "app/Application.h"

#include "app/QtText.h"

#include <QFont>
#include <QIcon>
#include <QMessageBox>

namespace dnspeek {

namespace {

// The caption of every error box. Given to each box rather than made Qt's
// application display name, which X11 windows would carry after their own
// title.
constexpr char ApplicationName[] = "dnspeek";

}  // namespace

TApplication::TApplication(int& argc, char** argv) : argc_(argc), argv_(argv)
{
}

void TApplication::Initialize()
{
    application_ = std::make_unique<QApplication>(argc_, argv_);
    // The form asks for this font by name. Few systems have it; a font of
    // Arial's widths keeps the texts inside their boxes.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    // Desktops match the window to its menu entry and icon by this id.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.dnspeek.DnsPeek"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.dnspeek.DnsPeek")));
}

void TApplication::Run()
{
    mainForm_->show();
    QApplication::exec();
}

void TApplication::ShowException(const std::exception& error)
{
    MessageDlg(error.what());
}

void MessageDlg(const ByteString& text)
{
    QMessageBox::critical(QApplication::activeWindow(), QString::fromLatin1(ApplicationName), ToQString(text));
}

}  // namespace dnspeek
