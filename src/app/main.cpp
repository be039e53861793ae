#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tayori"));
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Tayori"));
    w.show();
    return app.exec();
}
