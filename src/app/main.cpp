// Program entry: the application object, then the program's own start-up, loop and end.
#include <QApplication>

#include "app/lumv8900.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Lumvor");
    // The main form's close ends the program, whatever other windows remain.
    QApplication::setQuitOnLastWindowClosed(false);
    return lumvor::ProgramMain();
}
