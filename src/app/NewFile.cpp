#include "NewFile.h"
#include "DialogButtons.h"

#include "Command.h"
#include "Icons.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace vxt {

TfrmNewFile *frmNewFile = nullptr;

TfrmNewFile::TfrmNewFile(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmNewFile"));
    setWindowTitle(QStringLiteral("New File"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    lstNewFiles = new QListWidget;
    lstNewFiles->setObjectName(QStringLiteral("lstNewFiles"));
    lstNewFiles->setViewMode(QListView::IconMode);
    lstNewFiles->setIconSize(QSize(32, 32));
    lstNewFiles->setGridSize(QSize(120, 76));
    lstNewFiles->setMovement(QListView::Static);
    lstNewFiles->setResizeMode(QListView::Adjust);
    lstNewFiles->setWordWrap(true);
    lstNewFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const char *kItems[] = {"Velto Modbus Configuration", "Velto Hostlink Configuration", "Velto DF1 Configuration",
                            "Velto Web Site"};
    for (int i = 0; i < 4; ++i) new QListWidgetItem(NewFileIcon(i), QString::fromLatin1(kItems[i]), lstNewFiles);

    auto *tabs = new QTabWidget;
    tabs->addTab(lstNewFiles, QStringLiteral("New File"));

    QHBoxLayout *buttons = MakeButtonRow(this, &btnOk, &btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);
    // The list is as tall as two rows of the grid, so the four items show without a scroll bar.
    lstNewFiles->setMinimumHeight(2 * lstNewFiles->gridSize().height() + 2 * lstNewFiles->frameWidth());
    setFixedSize(420, std::max(220, minimumSizeHint().height()));

    ConnectCommand(btnOk, &QPushButton::clicked, this, &TfrmNewFile::DoSelect);
    ConnectCommand(lstNewFiles, &QListWidget::itemDoubleClicked, this, &TfrmNewFile::DoSelect);
    ConnectCommand(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmNewFile::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TfrmNewFile::FormShow()
{
    lstNewFiles->setFocus();
    lstNewFiles->setCurrentRow(0);
    Selection = 0;
}

void TfrmNewFile::DoSelect()
{
    const QList<QListWidgetItem *> selected = lstNewFiles->selectedItems();
    if (selected.isEmpty()) return;
    Selection = uint8_t(lstNewFiles->row(selected.first()));
    accept();
}

}  // namespace vxt
