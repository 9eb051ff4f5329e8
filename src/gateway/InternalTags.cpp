#include "InternalTags.h"

#include "Command.h"
#include "DialogButtons.h"
#include "QtStr.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vxt {

TfrmInternalTags *frmInternalTags = nullptr;

namespace {

struct TInternalTag {
    const char *Name;
    const char *Type;
    const char *Description;
};

const TInternalTag kInternalTags[] = {
    {"_COMMERROR", "Digital",
     "The Value of the Tag \"_COMMERROR\" becomes 1 when a Serial Communication error is detected."},
    {"_ALARM", "Digital",
     "The Value of the Tag \"_ALARM\" becomes 1 when any other Tag (except Internal Tags) are in Alarm State, "
     "acknowledged or not."},
    {"_ALARMNAK", "Digital",
     "The Value of the Tag \"_ALARMNAK\" becomes 1 when any other Tag (except Internal Tags) are in Not "
     "Acknowledged Alarm State."},
};

// The description rides on the name cell; it has no column of its own.
constexpr int kDescriptionRole = Qt::UserRole + 1;

}  // namespace

TfrmInternalTags::TfrmInternalTags(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmInternalTags"));
    setWindowTitle(QStringLiteral("Select Internal Tag"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    grpInternalTags = new QGroupBox(QStringLiteral("Available Internal Tags"), this);
    grpInternalTags->setObjectName(QStringLiteral("grpInternalTags"));
    lstInternalTags = new QTableWidget(int(std::size(kInternalTags)), 2, grpInternalTags);
    lstInternalTags->setObjectName(QStringLiteral("lstInternalTags"));
    lstInternalTags->setHorizontalHeaderLabels({QStringLiteral("Tag Name"), QStringLiteral("Type")});
    lstInternalTags->verticalHeader()->hide();
    lstInternalTags->setShowGrid(true);
    lstInternalTags->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstInternalTags->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstInternalTags->setSelectionMode(QAbstractItemView::SingleSelection);
    lstInternalTags->setWordWrap(false);
    lstInternalTags->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lstInternalTags->horizontalHeader()->setHighlightSections(false);
    lstInternalTags->setColumnWidth(0, 190);
    lstInternalTags->setColumnWidth(1, 100);
    lstInternalTags->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstInternalTags->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int row = 0;
    for (const TInternalTag &t : kInternalTags) {
        auto *name = new QTableWidgetItem(QString::fromLatin1(t.Name));
        name->setData(kDescriptionRole, QString::fromLatin1(t.Description));
        lstInternalTags->setItem(row, 0, name);
        lstInternalTags->setItem(row, 1, new QTableWidgetItem(QString::fromLatin1(t.Type)));
        ++row;
    }
    // The pick stays plain to see while another control has the focus.
    QPalette pal = lstInternalTags->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    lstInternalTags->setPalette(pal);
    const int frame = 2 * lstInternalTags->frameWidth();
    lstInternalTags->setFixedSize(190 + 100 + frame,
                                  lstInternalTags->horizontalHeader()->sizeHint().height() +
                                      row * lstInternalTags->verticalHeader()->defaultSectionSize() + frame);
    auto *tagsLayout = new QVBoxLayout(grpInternalTags);
    tagsLayout->addWidget(lstInternalTags);

    grpDescription = new QGroupBox(QStringLiteral("Description"), this);
    grpDescription->setObjectName(QStringLiteral("grpDescription"));
    lblDescription = new QLabel(grpDescription);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDescription->setFixedSize(190 + 100 + frame, lblDescription->fontMetrics().lineSpacing() * 4);
    auto *descLayout = new QVBoxLayout(grpDescription);
    descLayout->addWidget(lblDescription);

    QHBoxLayout *buttons = MakeButtonRow(this, &btnOk, &btnCancel);

    auto *main = new QVBoxLayout(this);
    main->setSizeConstraint(QLayout::SetFixedSize);
    main->addWidget(grpInternalTags);
    main->addWidget(grpDescription);
    main->addLayout(buttons);

    connect(lstInternalTags, &QTableWidget::itemSelectionChanged, this, &TfrmInternalTags::lstInternalTagsSelectItem);
    ConnectCommand(btnOk, &QPushButton::clicked, this, &TfrmInternalTags::btnOkClick);
    ConnectCommand(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmInternalTags::lstInternalTagsSelectItem()
{
    const QList<QTableWidgetItem *> picked = lstInternalTags->selectedItems();
    if (picked.isEmpty()) {
        btnOk->setEnabled(false);
        return;
    }
    const QTableWidgetItem *name = lstInternalTags->item(picked.first()->row(), 0);
    lblDescription->setText(name->data(kDescriptionRole).toString());
    btnOk->setEnabled(true);
}

void TfrmInternalTags::btnOkClick()
{
    const QList<QTableWidgetItem *> picked = lstInternalTags->selectedItems();
    if (picked.isEmpty()) return;
    SelectedTag = StdStr(lstInternalTags->item(picked.first()->row(), 0)->text());
    accept();
}

void TfrmInternalTags::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    layout()->activate();
    if (QScreen *s = screen()) move(pos() + s->availableGeometry().center() - frameGeometry().center());
}

}  // namespace vxt
