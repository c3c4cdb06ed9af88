// The floor of the program's start-up: an empty window of the main form's
// size, built the same way.

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(441, 292);
    window.show();
    return QApplication::exec();
}
