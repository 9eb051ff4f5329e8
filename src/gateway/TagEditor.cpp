#include "TagEditor.h"

#include "Command.h"
#include "GatewayTables.h"
#include "InternalTags.h"
#include "KProt.h"
#include "KeyFilter.h"
#include "MsgBox.h"
#include "NumFormat.h"
#include "QtStr.h"
#include "StrUtils.h"
#include "Utiles.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

namespace vxt {

namespace {

template <typename T>
T *Named(T *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel *Label(const char *text, const char *name, QWidget *parent)
{
    return Named(new QLabel(QString::fromLatin1(text), parent), name);
}

// The grid that holds `w` itself, searched from `root` down; `column` gets w's column there.
QGridLayout *GridHolding(QLayout *root, const QWidget *w, int &column)
{
    if (!root) return nullptr;
    if (auto *grid = qobject_cast<QGridLayout *>(root)) {
        const int at = grid->indexOf(w);
        if (at >= 0) {
            int row, rowSpan, columnSpan;
            grid->getItemPosition(at, &row, &column, &rowSpan, &columnSpan);
            return grid;
        }
    }
    for (int i = 0; i < root->count(); ++i)
        if (QGridLayout *found = GridHolding(root->itemAt(i)->layout(), w, column)) return found;
    return nullptr;
}

QWidget *Page(QTabWidget *tabs, const char *title, const char *name, QGroupBox *group)
{
    auto *page = Named(new QWidget, name);
    auto *l = new QVBoxLayout(page);
    l->addWidget(group);
    tabs->addTab(page, QString::fromLatin1(title));
    return page;
}

}  // namespace

std::string TagFloatText(float v) { return FloatToStr(double(v)); }

QPixmap EdgePicture(bool rising)
{
    QPixmap pm(44, 22);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(0, 0, 160), 2));
    const int low = 18, high = 4;
    const int from = rising ? low : high, to = rising ? high : low;
    p.drawLine(2, from, 22, from);
    p.drawLine(22, from, 22, to);
    p.drawLine(22, to, 42, to);
    // The arrow on the edge tells its direction.
    const int tip = (low + high) / 2 + (rising ? -3 : 3);
    const int back = rising ? tip + 5 : tip - 5;
    p.drawLine(22, tip, 18, back);
    p.drawLine(22, tip, 26, back);
    return pm;
}

TTagEditorBase::TTagEditorBase(const char *family, const TTextTable &sources, const TTextTable &types,
                               QWidget *parent)
    : QDialog(parent), family_(family)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    pgeTags = Named(new QTabWidget(this), "pgeTags");
    grpTagConfig = Named(new QGroupBox(QStringLiteral("Tag Configuration")), "grpTagConfig");
    grpTagValue = Named(new QGroupBox(QStringLiteral("Tag Value")), "grpTagValue");
    grpTagAlarm = Named(new QGroupBox(QStringLiteral("Tag Alarm")), "grpTagAlarm");
    grpTagScale = Named(new QGroupBox(QStringLiteral("Tag Scale")), "grpTagScale");
    tabTagConfig = Page(pgeTags, "Tag Configuration", "tabTagConfig", grpTagConfig);
    tabTagValue = Page(pgeTags, "Tag Value", "tabTagValue", grpTagValue);
    tabTagAlarm = Page(pgeTags, "Alarm", "tabTagAlarm", grpTagAlarm);
    tabTagScale = Page(pgeTags, "Scale", "tabTagScale", grpTagScale);

    // First page: the rows every family has; the family adds its own between them.
    configGrid_ = new QGridLayout(grpTagConfig);
    configGrid_->setColumnMinimumWidth(1, 190);
    cboSource = Named(new QComboBox(grpTagConfig), "cboSource");
    for (const std::string &s : sources.Rows()) cboSource->addItem(QStr(s));
    lblSource = Label("Source", "lblSource", grpTagConfig);
    txtTagName = Named(new QLineEdit(grpTagConfig), "txtTagName");
    SetTypingLimit(txtTagName, 15);
    SetUpperCase(txtTagName);
    lblTagName = Label("Tag Name", "lblTagName", grpTagConfig);
    btnInternal = Named(new QPushButton(QStringLiteral("..."), grpTagConfig), "btnInternal");
    btnInternal->setFixedWidth(btnInternal->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 16);
    cboType = Named(new QComboBox(grpTagConfig), "cboType");
    for (const std::string &s : types.Rows()) cboType->addItem(QStr(s));
    cboType->setMaxVisibleItems(types.Count());
    lblType = Label("Tag Type", "lblType", grpTagConfig);
    txtBitPosition = Named(new QLineEdit(grpTagConfig), "txtBitPosition");
    FilterInteger(txtBitPosition, 2);
    lblBitPosition = Label("Position (Bit)", "lblBitPosition", grpTagConfig);
    auto *nameRow = new QWidget(grpTagConfig);
    auto *nameLayout = new QHBoxLayout(nameRow);
    nameLayout->setContentsMargins(0, 0, 0, 0);
    nameLayout->addWidget(txtTagName);
    nameLayout->addWidget(btnInternal);
    AddConfigRow(lblSource, cboSource);
    AddConfigRow(lblTagName, nameRow);
    lblTagName->setBuddy(txtTagName);

    BuildValuePage();

    alarmGrid_ = new QGridLayout(grpTagAlarm);
    chkAlarmEnable = Named(new QCheckBox(QStringLiteral("Alarm Enable"), grpTagAlarm), "chkAlarmEnable");
    chkSendEMail = Named(new QCheckBox(grpTagAlarm), "chkSendEMail");
    grpEdge = new QButtonGroup(this);
    rdoPositive = Named(new QRadioButton(grpTagAlarm), "rdoPositive");
    rdoNegative = Named(new QRadioButton(grpTagAlarm), "rdoNegative");
    grpEdge->addButton(rdoPositive);
    grpEdge->addButton(rdoNegative);
    rdoPositive->setChecked(true);
    imgPositive = Named(new QLabel(grpTagAlarm), "imgPositive");
    imgPositive->setPixmap(EdgePicture(true));
    imgNegative = Named(new QLabel(grpTagAlarm), "imgNegative");
    imgNegative->setPixmap(EdgePicture(false));
    txtLowestAlarm = Named(new QLineEdit(grpTagAlarm), "txtLowestAlarm");
    txtHighestAlarm = Named(new QLineEdit(grpTagAlarm), "txtHighestAlarm");
    FilterFloat(txtLowestAlarm);
    FilterFloat(txtHighestAlarm);
    lblLowestAlarm = Named(new QLabel(grpTagAlarm), "lblLowestAlarm");
    lblHighestAlarm = Named(new QLabel(grpTagAlarm), "lblHighestAlarm");

    BuildScalePage();

    btnOk = Named(new QPushButton(QStringLiteral("OK"), this), "btnOk");
    btnOk->setDefault(true);
    btnCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "btnCancel");
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto *main = new QVBoxLayout(this);
    main->setSizeConstraint(QLayout::SetFixedSize);
    main->addWidget(pgeTags);
    main->addLayout(buttons);

    ConnectCommand(btnOk, &QPushButton::clicked, this, &TTagEditorBase::btnOkClick);
    ConnectCommand(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    ConnectCommand(btnInternal, &QPushButton::clicked, this, &TTagEditorBase::btnInternalClick);
    // The user's pick runs the change handlers; an index set from code runs none.
    connect(cboSource, &QComboBox::activated, this, [this] { cboSourceChange(); });
    connect(cboType, &QComboBox::activated, this, [this] { cboTypeChange(); });
    connect(cboScale, &QComboBox::activated, this, &TTagEditorBase::cboScaleChange);
    // A box ticked or unticked from code runs its handler as a click does.
    connect(chkReadOnly, &QCheckBox::toggled, this, [this] { chkReadOnlyClick(); });
    connect(chkWriteLimits, &QCheckBox::toggled, this, &TTagEditorBase::chkWriteLimitsClick);
    connect(chkAlarmEnable, &QCheckBox::toggled, this, [this] { chkAlarmEnableClick(); });
    connect(pgeTags, &QTabWidget::currentChanged, this, &TTagEditorBase::PageChanged);
}

void TTagEditorBase::BuildValuePage()
{
    auto *g = new QGridLayout(grpTagValue);
    chkReadOnly = Named(new QCheckBox(QStringLiteral("Tag is Read Only"), grpTagValue), "chkReadOnly");
    chkWriteLimits = Named(new QCheckBox(QStringLiteral("Tag has writing limits"), grpTagValue), "chkWriteLimits");
    txtMinWrite = Named(new QLineEdit(grpTagValue), "txtMinWrite");
    txtMaxWrite = Named(new QLineEdit(grpTagValue), "txtMaxWrite");
    FilterFloat(txtMinWrite);
    FilterFloat(txtMaxWrite);
    txtMinWrite->setEnabled(false);
    txtMaxWrite->setEnabled(false);
    lblMinWrite = Label("Minimum write value", "lblMinWrite", grpTagValue);
    lblMaxWrite = Label("Maximum write value", "lblMaxWrite", grpTagValue);
    g->addWidget(chkReadOnly, 0, 0, 1, 2);
    g->addWidget(chkWriteLimits, 1, 0, 1, 2);
    g->addWidget(lblMinWrite, 2, 0);
    g->addWidget(txtMinWrite, 2, 1);
    g->addWidget(lblMaxWrite, 3, 0);
    g->addWidget(txtMaxWrite, 3, 1);
    g->setColumnMinimumWidth(0, 20);
    g->setRowStretch(4, 1);
}

void TTagEditorBase::BuildScalePage()
{
    auto *g = new QGridLayout(grpTagScale);
    cboScale = Named(new QComboBox(grpTagScale), "cboScale");
    for (const std::string &s : ScaleTable().Rows()) cboScale->addItem(QStr(s));
    lblScale = Label("Scale function", "lblScale", grpTagScale);
    txtFactorA = Named(new QLineEdit(grpTagScale), "txtFactorA");
    txtFactorB = Named(new QLineEdit(grpTagScale), "txtFactorB");
    FilterFloat(txtFactorA);
    FilterFloat(txtFactorB);
    txtFactorA->setEnabled(false);
    txtFactorB->setEnabled(false);
    lblFactorA = Label("A", "lblFactorA", grpTagScale);
    lblFactorB = Label("B", "lblFactorB", grpTagScale);
    g->addWidget(lblScale, 0, 0);
    g->addWidget(cboScale, 0, 1);
    g->addWidget(lblFactorA, 1, 0);
    g->addWidget(txtFactorA, 1, 1);
    g->addWidget(lblFactorB, 2, 0);
    g->addWidget(txtFactorB, 2, 1);
    g->setRowStretch(3, 1);
}

void TTagEditorBase::AddConfigRow(QLabel *label, QWidget *control)
{
    if (label) {
        label->setBuddy(control);
        configGrid_->addWidget(label, configRows_, 0);
        configGrid_->addWidget(control, configRows_, 1);
    } else {
        configGrid_->addWidget(control, configRows_, 0, 1, 2);
    }
    // Room to spare stays below the last row.
    configGrid_->setRowStretch(configRows_, 0);
    ++configRows_;
    configGrid_->setRowStretch(configRows_, 1);
}

void TTagEditorBase::FilterInteger(QLineEdit *edit, int maxLength)
{
    SetKeyFilter(edit, &OnIntegerKeyPressGeneral, maxLength);
}

void TTagEditorBase::FilterFloat(QLineEdit *edit) { SetKeyFilter(edit, &OnFloatKeyPressGeneral); }

bool TTagEditorBase::OnIntegerKeyPressGeneral(QChar key)
{
    return key == QChar(8) || (key >= QLatin1Char('0') && key <= QLatin1Char('9'));
}

bool TTagEditorBase::OnFloatKeyPressGeneral(QChar key)
{
    return OnIntegerKeyPressGeneral(key) || key == QLatin1Char('-') || key == QLatin1Char('.') ||
           key == QLatin1Char(DecimalSeparator());
}

void TTagEditorBase::AlignFieldColumns()
{
    // The widest caption in `column` of `grid`, spanning rows left out.
    auto widest = [](QGridLayout *grid, int column) {
        int width = 0;
        for (int i = 0; i < grid->count(); ++i) {
            int r, c, rowSpan, columnSpan;
            grid->getItemPosition(i, &r, &c, &rowSpan, &columnSpan);
            QWidget *w = grid->itemAt(i)->widget();
            if (w && c == column && columnSpan == 1) width = std::max(width, w->sizeHint().width());
        }
        return width;
    };
    struct Captions {
        QGridLayout *Grid;
        int Column, Indent;
    };
    std::vector<Captions> pages;
    for (QLabel *caption : {lblMinWrite, lblScale, lblLowestAlarm}) {
        Captions p{nullptr, 0, 0};
        p.Grid = GridHolding(caption->parentWidget()->layout(), caption, p.Column);
        if (!p.Grid) continue;
        // A caption indented under a check box has the indent's column before it.
        for (int c = 0; c < p.Column; ++c)
            p.Indent += p.Grid->columnMinimumWidth(c) + std::max(0, p.Grid->horizontalSpacing());
        pages.push_back(p);
    }
    // Every page's fields start where the widest caption of any page ends.
    int captions = widest(configGrid_, 0);
    for (const Captions &p : pages) captions = std::max(captions, p.Indent + widest(p.Grid, p.Column));
    configGrid_->setColumnMinimumWidth(0, captions);
    for (const Captions &p : pages) p.Grid->setColumnMinimumWidth(p.Column, captions - p.Indent);
}

void TTagEditorBase::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
    AlignFieldColumns();
    layout()->activate();
    if (QScreen *s = screen()) move(pos() + s->availableGeometry().center() - frameGeometry().center());
}

void TTagEditorBase::FormShow()
{
    InitControls();
    pgeTags->setCurrentIndex(0);
    cboSource->setFocus();
}

void TTagEditorBase::InitControls()
{
    if (EditMode == 1) {
        setWindowTitle(QStringLiteral("Edit %1 Tag").arg(QString::fromLatin1(family_.c_str())));
        SetControls();
    } else {
        setWindowTitle(QStringLiteral("Add %1 Tag").arg(QString::fromLatin1(family_.c_str())));
        ClearControls();
    }
}

void TTagEditorBase::PageChanged(int index)
{
    if (pgeTags->widget(index) == tabTagAlarm) tabTagAlarmShow();
    if (pgeTags->widget(index) == tabTagScale) tabTagScaleShow();
}

void TTagEditorBase::btnOkClick()
{
    const std::string refusal = TextRefusal(UpperName(), "Tag Name");
    if (!refusal.empty()) {
        ShowError(refusal);
        pgeTags->setCurrentWidget(tabTagConfig);
        txtTagName->setFocus();
        return;
    }
    if (!Validate()) return;
    // The checks leave nothing to convert that fails; should one slip through, its error is shown
    // and the dialog stays open with the tag untouched.
    if (!RunCommand([this] { GetTagConfiguration(); })) return;
    accept();
}

void TTagEditorBase::btnInternalClick()
{
    if (!frmInternalTags) frmInternalTags = new TfrmInternalTags;
    if (frmInternalTags->exec() == QDialog::Accepted) txtTagName->setText(QStr(frmInternalTags->SelectedTag));
}

void TTagEditorBase::chkReadOnlyClick()
{
    if (chkReadOnly->isChecked()) {
        chkWriteLimits->setChecked(false);
        chkWriteLimits->setEnabled(false);
    } else {
        chkWriteLimits->setEnabled(true);
    }
}

void TTagEditorBase::chkWriteLimitsClick()
{
    txtMinWrite->setEnabled(chkWriteLimits->isChecked());
    txtMaxWrite->setEnabled(chkWriteLimits->isChecked());
}

void TTagEditorBase::cboScaleChange()
{
    txtFactorA->setEnabled(!ScaleIsNone());
    txtFactorB->setEnabled(!ScaleIsNone());
}

int32_t TTagEditorBase::GetLowestValueInt() const
{
    return IsInteger() ? int32_t(TypeBounds(TypeIndex()).Low) : 0;
}

int32_t TTagEditorBase::GetHighestValueInt() const
{
    return IsInteger() ? int32_t(TypeBounds(TypeIndex()).High) : 0;
}

int TTagEditorBase::InList(int index, const QComboBox *list) { return index < list->count() ? index : 0; }

int TTagEditorBase::Source() const { return cboSource->currentIndex(); }
int TTagEditorBase::TypeIndex() const { return cboType->currentIndex(); }
bool TTagEditorBase::ScaleIsNone() const { return cboScale->currentIndex() <= 0; }
std::string TTagEditorBase::Text(const QLineEdit *edit) const { return StdStr(edit->text()); }

QString TTagEditorBase::UpperName() const { return UpperCaseLatin1(txtTagName->text()); }

// Without the blanks at its ends, as the file keeps it: the device gets the name it will read back.
std::string TTagEditorBase::TagName() const { return Trim(StdStr(UpperName())); }

TTagEditFields TTagEditorBase::GetEditFields() const
{
    TTagEditFields f;
    const bool digital = IsDigital(), integer = IsInteger();
    switch (Source()) {
    case 0:
        f.ReadOnly = chkReadOnly->isChecked();
        f.Limits = chkWriteLimits->isChecked();
        if (f.Limits && integer) {
            f.WrMin.AsInteger = StrToInt(Text(txtMinWrite));
            f.WrMax.AsInteger = StrToInt(Text(txtMaxWrite));
        } else if (f.Limits && !digital) {
            f.WrMin.AsFloat = StrToSingle(Text(txtMinWrite));
            f.WrMax.AsFloat = StrToSingle(Text(txtMaxWrite));
        }
        break;
    case 2:
        f.ReadOnly = chkReadOnly->isChecked();
        break;
    default:
        f.ReadOnly = true;
        break;
    }

    f.Alarm = chkAlarmEnable->isChecked();
    if (f.Alarm) {
        f.EMail = chkSendEMail->isChecked();
        if (digital) {
            f.AlMin.AsBoolean = rdoPositive->isChecked();
            f.AlMax.AsBoolean = !rdoPositive->isChecked();
        } else if (integer) {
            f.AlMin.AsInteger = StrToInt(Text(txtLowestAlarm));
            f.AlMax.AsInteger = StrToInt(Text(txtHighestAlarm));
        } else {
            f.AlMin.AsFloat = StrToSingle(Text(txtLowestAlarm));
            f.AlMax.AsFloat = StrToSingle(Text(txtHighestAlarm));
        }
    }

    if (!digital) {
        f.Scale = uint8_t(cboScale->currentIndex());
        if (!ScaleIsNone()) {
            f.FactorA = StrToSingle(Text(txtFactorA));
            f.FactorB = StrToSingle(Text(txtFactorB));
        }
    }

    f.Kind = digital ? KindDigital : integer ? KindInteger : KindFloat;
    return f;
}

void TTagEditorBase::ClearValueEdits()
{
    chkReadOnly->setChecked(false);
    chkWriteLimits->setChecked(false);
    txtMinWrite->clear();
    txtMaxWrite->clear();
    chkReadOnlyClick();
    chkWriteLimitsClick();
}

void TTagEditorBase::SetLimitTexts(const TTagEditFields &f)
{
    switch (f.Kind) {
    case KindDigital:
        txtMinWrite->clear();
        txtMaxWrite->clear();
        break;
    case KindInteger:
        txtMinWrite->setText(QString::number(f.WrMin.AsInteger));
        txtMaxWrite->setText(QString::number(f.WrMax.AsInteger));
        break;
    default:
        txtMinWrite->setText(QStr(TagFloatText(f.WrMin.AsFloat)));
        txtMaxWrite->setText(QStr(TagFloatText(f.WrMax.AsFloat)));
        break;
    }
}

void TTagEditorBase::SetBoundTexts(const TTagEditFields &f)
{
    if (f.Kind == KindInteger) {
        txtLowestAlarm->setText(QString::number(f.AlMin.AsInteger));
        txtHighestAlarm->setText(QString::number(f.AlMax.AsInteger));
    } else {
        txtLowestAlarm->setText(QStr(TagFloatText(f.AlMin.AsFloat)));
        txtHighestAlarm->setText(QStr(TagFloatText(f.AlMax.AsFloat)));
    }
}

void TTagEditorBase::ClearScaleControls()
{
    cboScale->setCurrentIndex(0);
    txtFactorA->clear();
    txtFactorB->clear();
    cboScaleChange();
}

void TTagEditorBase::SetScaleControls(const TTagEditFields &f)
{
    cboScale->setCurrentIndex(InList(f.Scale, cboScale));
    if (!ScaleIsNone()) {
        txtFactorA->setText(QStr(TagFloatText(f.FactorA)));
        txtFactorB->setText(QStr(TagFloatText(f.FactorB)));
    } else {
        txtFactorA->clear();
        txtFactorB->clear();
    }
    cboScaleChange();
}

}  // namespace vxt
