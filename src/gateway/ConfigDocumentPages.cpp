// The pages of the configuration documents and their wiring.
#include "ConfigDocument.h"

#include "Command.h"
#include "GatewayTables.h"
#include "KeyFilter.h"
#include "PasswordEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace vxt {

namespace {

template <typename W>
W *WithName(W *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel *Caption(const char *text, QWidget *buddy = nullptr)
{
    auto *l = new QLabel(QString::fromLatin1(text));
    if (buddy) l->setBuddy(buddy);
    return l;
}

QLabel *StaticText(const char *name, const char *text)
{
    auto *l = WithName(new QLabel(QString::fromLatin1(text)), name);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumWidth(70);
    return l;
}

QSlider *Slider(const char *name, int min, int max, int pos, int pageStep)
{
    auto *s = WithName(new QSlider(Qt::Horizontal), name);
    s->setRange(min, max);
    s->setPageStep(pageStep);
    s->setValue(pos);
    s->setMinimumWidth(180);
    return s;
}

}  // namespace

TUpDown::TUpDown(QLineEdit *associate, int min, int max, QWidget *parent)
    : QWidget(parent), Min(min), Max(max), Associate(associate)
{
    btnUp = new QToolButton(this);
    btnUp->setArrowType(Qt::UpArrow);
    btnDown = new QToolButton(this);
    btnDown->setArrowType(Qt::DownArrow);
    for (QToolButton *b : {btnUp, btnDown}) {
        b->setFixedSize(18, 12);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    auto *l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    l->addWidget(btnUp);
    l->addWidget(btnDown);
    ConnectCommand(btnUp, &QToolButton::clicked, this, [this]() { Step(1); });
    ConnectCommand(btnDown, &QToolButton::clicked, this, [this]() { Step(-1); });
}

void TUpDown::Step(int delta)
{
    bool ok = false;
    int v = Associate->text().toInt(&ok);
    v = ok ? v + delta : (delta > 0 ? Min : Max);
    Associate->setText(QString::number(std::clamp(v, Min, Max)));
}

QComboBox *TMDIGatewayConfig::ComboBox(const char *name, const QStringList &items, int index)
{
    auto *c = WithName(new QComboBox, name);
    c->addItems(items);
    c->setMaxVisibleItems(items.size());
    c->setCurrentIndex(index);
    connect(c, &QComboBox::currentIndexChanged, this, &TMDIGatewayConfig::OnChangeGeneral);
    return c;
}

void TMDIGatewayConfig::WireEnableRulesToEveryControl()
{
    for (QWidget *page : {tbsCom, tbsEMail}) {
        for (QComboBox *c : page->findChildren<QComboBox *>())
            connect(c, &QComboBox::currentIndexChanged, this, &TMDIGatewayConfig::OnEmailEnableClick);
        for (QLineEdit *e : page->findChildren<QLineEdit *>())
            connect(e, &QLineEdit::textChanged, this, &TMDIGatewayConfig::OnEmailEnableClick);
    }
}

void TMDIGatewayConfig::WatchEdit(QLineEdit *edit)
{
    connect(edit, &QLineEdit::textChanged, this, &TMDIGatewayConfig::OnChangeGeneral);
}

QLineEdit *TMDIGatewayConfig::IntegerEdit(const char *name, int maxLength, const char *upDownName, int min, int max,
                                          TUpDown **upDown)
{
    auto *e = WithName(new QLineEdit, name);
    SetKeyFilter(e, &TMDIGatewayConfig::OnIntegerKeyPressGeneral, maxLength);
    e->setFixedWidth(48);
    e->setAlignment(Qt::AlignRight);
    WatchEdit(e);
    *upDown = WithName(new TUpDown(e, min, max), upDownName);
    return e;
}

void TMDIGatewayConfig::BuildPages()
{
    auto *body = new QWidget;
    PageControl = WithName(new QTabWidget(body), "PageControl");
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(PageControl);
    BuildSerialPage();
    BuildEmailPage();
    BuildTagsPage();
    PageControl->addTab(tbsCom, style()->standardIcon(QStyle::SP_ComputerIcon), QStringLiteral("Serial Port"));
    PageControl->addTab(tbsEMail, style()->standardIcon(QStyle::SP_MessageBoxInformation), QStringLiteral("E-Mails"));
    PageControl->addTab(tbsTags, style()->standardIcon(QStyle::SP_FileDialogDetailedView), QStringLiteral("Tags"));
    setWidget(body);
    resize(760, 470);
}

void TMDIGatewayConfig::BuildSerialPage()
{
    tbsCom = WithName(new QWidget, "tbsCom");
    grpCom = WithName(new QGroupBox(QStringLiteral("Velto's Serial COM Parameters")), "grpCom");
    auto *grid = new QGridLayout;
    cboComType = ComboBox("cboComType", {QStringLiteral("RS-232"), QStringLiteral("RS-485"), QStringLiteral("RS-422")}, 0);
    QStringList rates;
    for (int r : BaudRates()) rates << QString::number(r);
    cboBaudRate = ComboBox("cboBaudRate", rates, 2);
    cboParity = ComboBox("cboParity", ParityItems(), 0);
    int row = 0;
    grid->addWidget(Caption("Serial COM Type", cboComType), row, 0);
    grid->addWidget(cboComType, row++, 1);
    grid->addWidget(Caption("Baud Rate (bps)", cboBaudRate), row, 0);
    grid->addWidget(cboBaudRate, row++, 1);
    grid->addWidget(Caption("Parity", cboParity), row, 0);
    grid->addWidget(cboParity, row++, 1);
    BuildSerialExtras(grid, row);
    grid->setColumnStretch(2, 1);

    sldScanTime = Slider("sldScanTime", 0, 10000, 100, 50);
    stScanTime = StaticText("stScanTime", "100 ms");
    btnScanTime = WithName(new QPushButton(QStringLiteral("...")), "btnScanTime");
    sldMessageTout = Slider("sldMessageTout", 10, 2000, 1000, 10);
    stMessageTout = StaticText("stMessageTout", "1000 ms");
    btnMessageTout = WithName(new QPushButton(QStringLiteral("...")), "btnMessageTout");
    auto *times = new QGridLayout;
    auto addSlider = [&](int r, const char *caption, const char *low, QSlider *s, const char *high, QLabel *st,
                         QPushButton *b) {
        b->setFixedWidth(32);
        times->addWidget(Caption(caption, s), r, 0, 1, 3);
        times->addWidget(Caption(low), r + 1, 0);
        times->addWidget(s, r + 1, 1);
        times->addWidget(Caption(high), r + 1, 2);
        times->addWidget(st, r + 1, 3);
        times->addWidget(b, r + 1, 4);
    };
    addSlider(0, "Scan Time (ms)", "Fast", sldScanTime, "Slow", stScanTime, btnScanTime);
    addSlider(2, "Message Timeout (ms)", "Short", sldMessageTout, "Long", stMessageTout, btnMessageTout);
    times->setColumnStretch(1, 1);

    auto *note = new QHBoxLayout;
    auto *icon = new QLabel;
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(24, 24));
    auto *noteText = WithName(new QLabel(QString::fromLatin1(Family.ComNote)), "lblComNote");
    noteText->setWordWrap(true);
    note->addWidget(icon, 0, Qt::AlignTop);
    note->addWidget(noteText, 1);

    auto *inner = new QVBoxLayout(grpCom);
    inner->addLayout(grid);
    inner->addSpacing(8);
    inner->addLayout(times);
    inner->addSpacing(8);
    inner->addLayout(note);
    inner->addStretch();
    auto *page = new QVBoxLayout(tbsCom);
    page->addWidget(grpCom);

    connect(sldScanTime, &QSlider::valueChanged, this, &TMDIGatewayConfig::sldScanTimeChange);
    connect(sldMessageTout, &QSlider::valueChanged, this, &TMDIGatewayConfig::sldMessageToutChange);
    ConnectCommand(btnScanTime, &QPushButton::clicked, this, &TMDIGatewayConfig::btnScanTimeClick);
    ConnectCommand(btnMessageTout, &QPushButton::clicked, this, &TMDIGatewayConfig::btnMessageToutClick);
}

void TMDIGatewayConfig::BuildSerialExtras(QGridLayout *, int &) {}

QStringList TMDIGatewayConfig::ParityItems() const
{
    return {QStringLiteral("None"), QStringLiteral("Odd"), QStringLiteral("Even")};
}

void TMDIGatewayConfig::BuildEmailPage()
{
    tbsEMail = WithName(new QWidget, "tbsEMail");
    grpEmailParams = WithName(new QGroupBox(QStringLiteral("SMTP configuration")), "grpEmailParams");
    chkEMailEnable = WithName(new QCheckBox(QStringLiteral("Enable relaying")), "chkEMailEnable");
    chkAuth = WithName(new QCheckBox(QStringLiteral("Server requires authentication")), "chkAuth");
    auto textEdit = [this](const char *name, int maxLength) {
        auto *e = WithName(new QLineEdit, name);
        SetTypingLimit(e, maxLength);
        WatchEdit(e);
        return e;
    };
    txtEMailServer = textEdit("txtEMailServer", 49);
    txtUser = textEdit("txtUser", 49);
    txtPass1 = textEdit("txtPass1", Family.PassMaxLength);
    txtPass2 = textEdit("txtPass2", Family.PassMaxLength);
    MaskPassword(txtPass1);
    MaskPassword(txtPass2);
    txtEMailSender = textEdit("txtEMailSender", 50);
    txtEMailTimeout = IntegerEdit("txtEMailTimeout", 3, "udnEMailTimeout", 1, 100, &udnEMailTimeout);
    txtEMailRetries = IntegerEdit("txtEMailRetries", 2, "udnEMailRetries", 0, 99, &udnEMailRetries);
    txtEMailInterRetries = IntegerEdit("txtEMailInterRetries", 3, "udnEMailInterRetries", 1, 100, &udnEMailInterRetries);
    txtEMailTimeout->setText(QStringLiteral("20"));
    txtEMailRetries->setText(QStringLiteral("5"));
    txtEMailInterRetries->setText(QStringLiteral("10"));
    txtEMailTimeout->setToolTip(QString::fromLatin1(Family.TimeoutHint));
    txtEMailRetries->setToolTip(QStringLiteral("Sugested: 5"));
    txtEMailInterRetries->setToolTip(QStringLiteral("Sugested: 10"));

    auto *g = new QGridLayout(grpEmailParams);
    int r = 0;
    g->addWidget(chkEMailEnable, r++, 0, 1, 3);
    g->addWidget(Caption("SMTP server", txtEMailServer), r, 0);
    g->addWidget(txtEMailServer, r++, 1, 1, 2);
    g->addWidget(chkAuth, r++, 0, 1, 3);
    g->addWidget(Caption("Username", txtUser), r, 0);
    g->addWidget(txtUser, r++, 1, 1, 2);
    g->addWidget(Caption("Password", txtPass1), r, 0);
    g->addWidget(txtPass1, r++, 1, 1, 2);
    g->addWidget(Caption("Confirm Password", txtPass2), r, 0);
    g->addWidget(txtPass2, r++, 1, 1, 2);
    auto number = [&](const char *caption, QLineEdit *e, TUpDown *u) {
        auto *box = new QHBoxLayout;
        box->setSpacing(1);
        box->addWidget(e);
        box->addWidget(u);
        box->addStretch();
        g->addWidget(Caption(caption, e), r, 0);
        g->addLayout(box, r++, 1, 1, 2);
    };
    number("Delivery timeout (seconds)", txtEMailTimeout, udnEMailTimeout);
    number(Family.RetriesCaption, txtEMailRetries, udnEMailRetries);
    number("Retry every (seconds)", txtEMailInterRetries, udnEMailInterRetries);
    g->addWidget(Caption("Source e-mail address", txtEMailSender), r, 0);
    g->addWidget(txtEMailSender, r++, 1, 1, 2);
    g->setRowStretch(r, 1);
    g->setColumnStretch(1, 1);

    grpEmailDestinations = WithName(new QGroupBox(QStringLiteral("Destination e-mail addresses")), "grpEmailDestinations");
    auto *note = new QLabel(QStringLiteral("When sending an E-Mail Message, it will be simultaneously send to the E-Mail "
                                           "addresses below. You can enter up to 5 addresses."));
    note->setWordWrap(true);
    lstEMailRecipients = WithName(new QListWidget, "lstEMailRecipients");
    lstEMailRecipients->setSelectionMode(QAbstractItemView::SingleSelection);
    lstEMailRecipients->setMinimumWidth(210);
    btnEMailAdd = WithName(new QPushButton(QStringLiteral("Add...")), "btnEMailAdd");
    btnEMailEdit = WithName(new QPushButton(QStringLiteral("Edit...")), "btnEMailEdit");
    btnEMailDelete = WithName(new QPushButton(QStringLiteral("Delete")), "btnEMailDelete");
    btnUp = WithName(new QToolButton, "btnUp");
    btnUp->setArrowType(Qt::UpArrow);
    btnDown = WithName(new QToolButton, "btnDown");
    btnDown->setArrowType(Qt::DownArrow);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {btnEMailAdd, btnEMailEdit, btnEMailDelete}) buttons->addWidget(b);
    buttons->addSpacing(8);
    auto *arrows = new QHBoxLayout;
    arrows->addWidget(btnUp);
    arrows->addWidget(btnDown);
    arrows->addStretch();
    buttons->addLayout(arrows);
    buttons->addStretch();
    auto *d = new QGridLayout(grpEmailDestinations);
    d->addWidget(note, 0, 0, 1, 2);
    d->addWidget(Caption("Recipients", lstEMailRecipients), 1, 0, 1, 2);
    d->addWidget(lstEMailRecipients, 2, 0);
    d->addLayout(buttons, 2, 1);

    auto *page = new QHBoxLayout(tbsEMail);
    page->addWidget(grpEmailParams, 1);
    page->addWidget(grpEmailDestinations, 1);

    connect(chkEMailEnable, &QCheckBox::toggled, this, &TMDIGatewayConfig::OnEmailEnableClick);
    connect(chkAuth, &QCheckBox::toggled, this, &TMDIGatewayConfig::OnEmailEnableClick);
    ConnectCommand(btnEMailAdd, &QPushButton::clicked, this, &TMDIGatewayConfig::btnEMailAddClick);
    ConnectCommand(btnEMailEdit, &QPushButton::clicked, this, &TMDIGatewayConfig::btnEMailEditClick);
    ConnectCommand(btnEMailDelete, &QPushButton::clicked, this, &TMDIGatewayConfig::btnEMailDeleteClick);
    ConnectCommand(btnUp, &QToolButton::clicked, this, &TMDIGatewayConfig::btnUpClick);
    ConnectCommand(btnDown, &QToolButton::clicked, this, &TMDIGatewayConfig::btnDownClick);
    OnEmailEnableClick();
}

void TMDIGatewayConfig::BuildTagsPage()
{
    tbsTags = WithName(new QWidget, "tbsTags");
    lstTags = WithName(new QTableWidget(0, 0), "lstTags");
    lstTags->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstTags->setSelectionMode(QAbstractItemView::SingleSelection);
    lstTags->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstTags->setShowGrid(true);
    lstTags->verticalHeader()->hide();
    lstTags->verticalHeader()->setDefaultSectionSize(lstTags->fontMetrics().height() + 6);
    lstTags->horizontalHeader()->setHighlightSections(false);
    lstTags->setWordWrap(false);
    for (const TTagColumn &c : Family.TagColumns)
        if (c.Caption && !c.RunTimeColumn) {
            const int col = lstTags->columnCount();
            lstTags->insertColumn(col);
            lstTags->setHorizontalHeaderItem(col, new QTableWidgetItem(QString::fromLatin1(c.Caption)));
        }
    lstTags->resizeColumnsToContents();
    auto *page = new QVBoxLayout(tbsTags);
    page->setContentsMargins(2, 2, 2, 2);
    page->addWidget(lstTags);
    ConnectCommand(lstTags, &QTableWidget::cellDoubleClicked, this, &TMDIGatewayConfig::lstTagsDblClick);
}

void TMDIGatewayConfig::AddRunTimeColumns()
{
    for (const TTagColumn &c : Family.TagColumns) {
        if (!c.Caption || !c.RunTimeColumn) continue;
        bool present = false;
        for (int i = 0; i < lstTags->columnCount(); ++i)
            present = present || lstTags->horizontalHeaderItem(i)->text() == QString::fromLatin1(c.Caption);
        if (present) continue;
        const int col = lstTags->columnCount();
        lstTags->insertColumn(col);
        lstTags->setHorizontalHeaderItem(col, new QTableWidgetItem(QString::fromLatin1(c.Caption)));
    }
}

}  // namespace vxt
