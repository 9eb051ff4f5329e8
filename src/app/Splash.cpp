#include "Splash.h"

#include "Jpeg.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace vxt {

TfrmSplash::TfrmSplash(QWidget *parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(401, 308);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    imgSplash = new QLabel(this);
    imgSplash->setObjectName(QStringLiteral("imgSplash"));
    imgSplash->setGeometry(0, 0, 401, 308);
    imgSplash->setAlignment(Qt::AlignCenter);
    imgSplash->setVisible(false);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    FormCreate();
}

void TfrmSplash::FormCreate()
{
    imgSplash->setPixmap(QPixmap::fromImage(LoadJpegResource(QStringLiteral(":/images/splash.jpg"))));
    imgSplash->setVisible(true);
}

}  // namespace vxt
