// The yardstick for tamblo.exe: a Qt window and nothing else but a 1 ms timer, as the window has.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare Qt window"));
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [] {});
    timer.start(1);
    window.show();
    return application.exec();
}
