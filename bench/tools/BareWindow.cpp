// The yardstick of the start-up benchmarks: a bare Qt Widgets window of the bar's size,
// shown and left to the event loop.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("bare");
    window.resize(760, 56);
    window.show();
    return app.exec();
}
