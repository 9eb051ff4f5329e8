#include "About.h"

#include "Command.h"
#include "Jpeg.h"
#include "OsVersion.h"
#include "QtStr.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace vxt {

TfrmAbout *frmAbout = nullptr;

int WinVersionCode(uint32_t platformId, uint32_t major, uint32_t minor)
{
    if (platformId == kPlatformWin9x) return (major > 4 || (major == 4 && minor > 0)) ? 2 : 1;
    if (major <= 4) return 3;
    if (major == 5) return 4;
    return 0;
}

std::string WinVersionText(int code)
{
    switch (code) {
    case 1:
        return "95";
    case 2:
        return "98";
    case 3:
        return "NT";
    case 4:
        return "2000";
    default:
        return "Unknown";
    }
}

std::string WinVersionLine(uint32_t platformId, uint32_t major, uint32_t minor)
{
    return "Windows " + WinVersionText(WinVersionCode(platformId, major, minor));
}

std::string WinBuildLine(const OsVersionInfo &info)
{
    return "Build " + std::to_string(info.BuildNumber) + " " + info.ServicePack;
}

namespace {

QLabel *MakeLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

}  // namespace

TfrmAbout::TfrmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Velto Configuration Manager"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    imgAbout = MakeLabel(this, "imgAbout", QString());
    imgAbout->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    const QImage picture = LoadJpegResource(QStringLiteral(":/images/about.jpg"));
    if (!picture.isNull()) imgAbout->setPixmap(QPixmap::fromImage(picture));

    lblVelto = MakeLabel(this, "lblVelto", QStringLiteral("Velto"));
    lblConfiguration = MakeLabel(this, "lblConfiguration", QStringLiteral("Configuration"));
    lblManager = MakeLabel(this, "lblManager", QStringLiteral("Manager"));
    QFont title = font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.6);
    for (QLabel *l : {lblVelto, lblConfiguration, lblManager}) l->setFont(title);

    lblCompany = MakeLabel(this, "lblCompany", QStringLiteral("Porlin"));
    QFont company = font();
    company.setBold(true);
    lblCompany->setFont(company);
    lblVersion = MakeLabel(this, "lblVersion", QStringLiteral("Version 3.0.4"));
    lblTrademarks = MakeLabel(
        this, "lblTrademarks",
        QStringLiteral("Other brands and product names are trademarks of their respective holders."));
    lblTrademarks->setWordWrap(true);
    lblTrademarks->setFixedWidth(240);
    lblSNMP = MakeLabel(this, "lblSNMP", QStringLiteral("Only for Velto-SN"));
    QPalette red = lblSNMP->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    lblSNMP->setPalette(red);
    QSizePolicy keep = lblSNMP->sizePolicy();
    keep.setRetainSizeWhenHidden(true);   // the box keeps its size whether the note shows or not
    lblSNMP->setSizePolicy(keep);
    lblSNMP->setVisible(false);
    lblWinVersion = MakeLabel(this, "lblWinVersion", QStringLiteral("Windows Version"));
    lblWinBuild = MakeLabel(this, "lblWinBuild", QStringLiteral("Windows Build"));

    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(lblVelto);
    texts->addWidget(lblConfiguration);
    texts->addWidget(lblManager);
    texts->addSpacing(10);
    texts->addWidget(lblCompany);
    texts->addWidget(lblVersion);
    texts->addSpacing(8);
    texts->addWidget(lblTrademarks);
    texts->addSpacing(4);
    texts->addWidget(lblSNMP);
    texts->addStretch();
    texts->addWidget(lblWinVersion);
    texts->addWidget(lblWinBuild);

    auto *body = new QHBoxLayout;
    body->setSpacing(12);
    body->addWidget(imgAbout, 0, Qt::AlignTop);
    body->addLayout(texts);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);

    auto *main = new QVBoxLayout(this);
    main->setSizeConstraint(QLayout::SetFixedSize);
    main->addLayout(body);
    main->addSpacing(6);
    main->addLayout(buttons);

    ConnectCommand(btnOk, &QPushButton::clicked, this, &TfrmAbout::btnOkClick);
}

void TfrmAbout::FormShow()
{
    OsVersionInfo info;
    if (!GetOsVersion(info)) return;   // the labels keep their design texts
    lblWinVersion->setText(QStr(WinVersionLine(info.PlatformId, info.Major, info.Minor)));
    lblWinBuild->setText(QStr(WinBuildLine(info)));
}

void TfrmAbout::btnOkClick() { accept(); }

void TfrmAbout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
    layout()->activate();
    if (QScreen *s = screen()) move(pos() + s->availableGeometry().center() - frameGeometry().center());
}

void TfrmAbout::keyPressEvent(QKeyEvent *event)
{
    // OK is the cancel button too: Escape closes the box with the result OK.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        btnOk->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace vxt
