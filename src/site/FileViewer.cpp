#include "FileViewer.h"

#include "Command.h"
#include "FileUtils.h"
#include "QtStr.h"
#include "StrUtils.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace vxt {

TfrmFileViewer *frmFileViewer = nullptr;

TfrmFileViewer::TfrmFileViewer(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFileViewer"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("File Viewer"));

    mmoViewer = new QPlainTextEdit;
    mmoViewer->setObjectName(QStringLiteral("mmoViewer"));
    mmoViewer->setReadOnly(true);
    mmoViewer->setLineWrapMode(QPlainTextEdit::NoWrap);
    mmoViewer->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmoViewer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmoViewer->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    btnClose = new QPushButton(QStringLiteral("Close"));
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAutoDefault(false);
    ConnectCommand(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnClose);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(mmoViewer, 1);
    layout->addLayout(buttons);
    setFixedSize(609, 445);
}

TfrmFileViewer::~TfrmFileViewer()
{
    if (frmFileViewer == this) frmFileViewer = nullptr;
}

void TfrmFileViewer::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FormShow();
}

void TfrmFileViewer::FormShow()
{
    mmoViewer->clear();
    setWindowTitle(QStringLiteral("File Viewer - ") + QShown(Title));
    if (!FileExists(FileName)) return;
    // Whatever the file holds is shown as text; a zero byte would end the text early. Valid UTF-8
    // reads as such, anything else byte by byte.
    std::string bytes;
    try {
        bytes = ReadFileBytes(FileName);
    } catch (const std::exception &) {
        return;   // the caller just wrote it; a file that vanished shows nothing
    }
    for (char &c : bytes)
        if (c == '\0') c = ' ';
    mmoViewer->setPlainText(QShown(bytes));
}

}  // namespace vxt
