// Program entry: shows the main window and runs the event loop until it closes.
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Lumvor");

    QMainWindow window;
    window.setWindowTitle("Lumvor 8.9");
    QMenu* fileMenu = window.menuBar()->addMenu("&File");
    fileMenu->addAction("E&xit", &window, &QMainWindow::close);
    window.resize(800, 600);
    window.show();
    return app.exec();
}
