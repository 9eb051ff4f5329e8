#include "NumFormat.h"

#include <QApplication>
#include <QLocale>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString point = QLocale::system().decimalPoint();
    vxt::SetDecimalSeparator(point.isEmpty() ? '.' : point.at(0).toLatin1());
    QApplication::setApplicationName(QStringLiteral("Velto Configuration Manager"));
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("VXT - [] - Not Connected"));
    w.showMaximized();
    return app.exec();
}
