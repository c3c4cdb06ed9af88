// The like-for-like floor of the program's start-up: a window with the main
// form's six controls in their places, with their first texts and the form's
// font, built in code. No form description and no lookup behind it, so what
// the program takes beyond it is its own.

#include <QApplication>
#include <QFont>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStatusBar>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // The substitution the application makes for the form's font.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QWidget window;
    window.setWindowTitle(QStringLiteral("Form1"));
    window.setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    window.resize(441, 292);
    window.move(103, 107);
    QLineEdit hostName(QStringLiteral("www.example.com"), &window);
    hostName.setGeometry(16, 16, 417, 21);
    QPushButton button(QStringLiteral("Button1"), &window);
    button.setGeometry(176, 240, 75, 25);
    QStatusBar statusBar(&window);
    statusBar.setGeometry(0, 273, 441, 19);
    QListView results(&window);
    results.setGeometry(16, 48, 321, 185);
    QListView replyBytes(&window);
    replyBytes.setGeometry(344, 48, 89, 185);
    QLineEdit queryType(QStringLiteral("15"), &window);
    queryType.setGeometry(288, 240, 73, 21);
    window.show();
    return QApplication::exec();
}
