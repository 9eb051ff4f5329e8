#include "ConfigDocument.h"

#include "Command.h"
#include "ConfigFile.h"
#include "EMail.h"
#include "FileUtils.h"
#include "InputInteger.h"
#include "KProt.h"
#include "MsgBox.h"
#include "NumFormat.h"
#include "QtStr.h"
#include "StrUtils.h"
#include "Utiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>

namespace vxt {

namespace {

constexpr int kKindRole = Qt::UserRole + 1;

const char *const kSendQuestion = "Sending this configuration to Velto will overwrite current Device Configuration.\r\n"
                                  "Are you sure to Send this configuration to Connected Velto?";

Qt::Alignment AlignmentOf(ColumnAlign a)
{
    switch (a) {
    case ColumnAlign::Center: return Qt::AlignCenter;
    case ColumnAlign::Right: return Qt::AlignRight | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

bool IntIn(const QLineEdit *e, int min, int max)
{
    int32_t v;
    return TryStrToInt(e->text(), v) && v >= min && v <= max;
}

int IntOf(const QLineEdit *e)
{
    int32_t v = 0;
    TryStrToInt(e->text(), v);
    return v;
}

}  // namespace

TMDIGatewayConfig::TMDIGatewayConfig(const TFamilyDesc &family, QWidget *parent) : TMDIChild(parent), Family(family)
{
}

TMDIGatewayConfig::~TMDIGatewayConfig() = default;

// Document operations

void TMDIGatewayConfig::New(const std::string &fileName)
{
    SetCaption(Family.CaptionPrefix + fileName);
    FileName = GetAppDir() + fileName;
    // A new document's image is never written: its first save asks for a name and starts afresh.
    Ini = std::make_unique<TMemIniFile>();
    Ini->SetFileName(FileName);
    Saved = true;
    Named = false;
    Loaded = false;
    AddRunTimeColumns();
    ShowEveryPage();
    Loaded = true;
}

void TMDIGatewayConfig::Open(const std::string &fileName)
{
    if (!FileExists(fileName)) return;
    Load(fileName, [&] { return std::make_unique<TMemIniFile>(fileName); });
}

void TMDIGatewayConfig::OpenContent(const std::string &fileName, const std::string &content)
{
    Load(fileName, [&] { return std::make_unique<TMemIniFile>(fileName, content); });
}

void TMDIGatewayConfig::Load(const std::string &fileName, const std::function<std::unique_ptr<TMemIniFile>()> &load)
{
    std::unique_ptr<TMemIniFile> ini;
    try {
        ini = load();
    } catch (const EFileError &e) {
        // Read whole or not at all: a part of the file would be all that a save writes back.
        ShowError(e.what());
        // A window made only to show this file has nothing to show.
        if (!Ini) close();
        return;
    }
    Ini = std::move(ini);
    SetCaption(Family.CaptionPrefix + fileName);
    FileName = fileName;
    Saved = true;
    Named = true;
    Loaded = false;
    SetCOMFromFile();
    SetEMAILFromFile();
    SetTAGSFromFile();
    ShowEveryPage();
    Loaded = true;
}

void TMDIGatewayConfig::ShowEveryPage()
{
    for (int page : {0, 1, 2, 0}) PageControl->setCurrentIndex(page);
}

bool TMDIGatewayConfig::UpdateFile()
{
    if (!Validate()) return false;
    SetFileVersion();
    SetFileFromCOM();
    SetFileFromEMAIL();
    SetFileFromTAGS();
    Ini->UpdateFile();
    Saved = true;
    return true;
}

// The same four steps as UpdateFile, into another image.
void TMDIGatewayConfig::FillImage(TMemIniFile &ini)
{
    WriteConfigFile(Family, ini, SerialFromPage(), EmailFromPage(), AllRows());
}

bool TMDIGatewayConfig::SaveAs()
{
    const std::optional<std::string> name =
        dlgSaveFileExecute("Velto Configuration File (*.vlt)|*.vlt", "vlt");
    if (!name) return false;
    // Refused pages leave the document on its old name and any file of the new name as it was.
    if (!Validate()) return false;
    // What the file holds beyond the program's own keys goes along, as Save keeps it.
    auto ini = std::make_unique<TMemIniFile>();
    ini->LoadFromText(Ini->GetText());
    ini->SetFileName(*name);
    FillImage(*ini);
    ini->UpdateFile();
    Ini = std::move(ini);
    FileName = *name;
    Named = true;
    SetCaption(Family.CaptionPrefix + *name);
    Saved = true;
    return true;
}

bool TMDIGatewayConfig::SendToVelto(const TDeviceData &device)
{
    if (!Validate()) return true;
    // A tag name the message cannot carry stops the send before anything is asked or sent.
    for (int i = 0; i < GetTagCount(); ++i) {
        try {
            CheckRowName(RowTexts(i), Family);
        } catch (const ETagRowError &) {
            PageControl->setCurrentIndex(2);
            lstTags->selectRow(i);
            throw;
        }
    }
    BeforeSend(device);
    PrepareSend();
    // Only Yes sends: a box closed any other way overwrites nothing on the device.
    if (MessageDlg(kSendQuestion, MsgKind::Warning, mbYesNo) != MsgResult::Yes) return true;
    RunSend(device);
    return true;
}

bool TMDIGatewayConfig::GetFromVelto(const TDeviceData &device)
{
    if (RunGet(device)) Saved = false;
    return true;
}

void TMDIGatewayConfig::BeforeSend(const TDeviceData &) {}

bool TMDIGatewayConfig::TagsPageActive() const { return PageControl->currentIndex() == 2; }

bool TMDIGatewayConfig::HasSelectedItem() const { return SelectedTagIndex() >= 0; }

// Validation

bool TMDIGatewayConfig::Validate()
{
    for (const TCheckText &c : Family.Checks) {
        int page = 1;
        QWidget *focus = nullptr;
        if (CheckPasses(c.Check, page, focus)) continue;
        const QLineEdit *held = HeldTextBox(c.Check);
        std::string text = held ? TextRefusal(held->text(), c.Message) : std::string(c.Message);
        if (text.empty()) text = "The " + std::string(c.Message) + " cannot begin or end with a blank.";
        ShowError(text);
        PageControl->setCurrentIndex(page);
        if (focus) focus->setFocus();
        return false;
    }
    return true;
}

bool TMDIGatewayConfig::CheckPasses(ValidateCheck check, int &page, QWidget *&focus)
{
    page = 1;
    const bool relay = chkEMailEnable->isChecked();
    const bool auth = relay && chkAuth->isChecked();
    switch (check) {
    case ValidateCheck::PacketTimeout:
        return true;
    // A character outside Latin-1 is no valid name or address either.
    case ValidateCheck::Server: {
        focus = txtEMailServer;
        std::string s;
        if (!TryStdStr(txtEMailServer->text(), s)) return false;
        return s.empty() ? !relay : IsValidName(s);
    }
    // A box that holds no number is refused like one out of bounds.
    case ValidateCheck::Timeout:
        focus = txtEMailTimeout;
        return IntIn(txtEMailTimeout, udnEMailTimeout->Min, udnEMailTimeout->Max);
    case ValidateCheck::Retries:
        focus = txtEMailRetries;
        return IntIn(txtEMailRetries, udnEMailRetries->Min, udnEMailRetries->Max);
    case ValidateCheck::RetryInt:
        focus = txtEMailInterRetries;
        return IntIn(txtEMailInterRetries, udnEMailInterRetries->Min, udnEMailInterRetries->Max);
    case ValidateCheck::Sender: {
        focus = txtEMailSender;
        std::string s;
        if (!TryStdStr(txtEMailSender->text(), s)) return false;
        return s.empty() ? !relay : IsValidEMail(s);
    }
    case ValidateCheck::Recipients:
        focus = lstEMailRecipients;
        for (int i = 0; i < lstEMailRecipients->count(); ++i) {
            std::string s;
            if (!TryStdStr(lstEMailRecipients->item(i)->text(), s) || !IsValidEMail(s)) {
                lstEMailRecipients->setCurrentRow(i);
                return false;
            }
        }
        return true;
    case ValidateCheck::User:
        focus = txtUser;
        return !auth || !txtUser->text().isEmpty();
    case ValidateCheck::Password:
        focus = txtPass1;
        return !auth || txtPass1->text() == txtPass2->text();
    // The user name and password go to the device whatever the boxes, so they are judged either way.
    case ValidateCheck::UserText:
    case ValidateCheck::PasswordText: {
        QLineEdit *held = HeldTextBox(check);
        focus = held;
        if (!TextRefusal(held->text(), std::string()).empty()) return false;
        // The file keeps its texts without blanks at the ends. The user name is sent trimmed, as kept;
        // a password is not changed behind the user's back, so one with blanks there is refused.
        return check != ValidateCheck::PasswordText || held->text() == held->text().trimmed();
    }
    // The confirmation is judged with the password while authentication is on; without it, on its own.
    case ValidateCheck::ConfirmText:
        focus = txtPass2;
        return TextRefusal(txtPass2->text(), std::string()).empty();
    }
    return true;
}

QLineEdit *TMDIGatewayConfig::HeldTextBox(ValidateCheck check) const
{
    if (check == ValidateCheck::UserText) return txtUser;
    if (check == ValidateCheck::PasswordText) return txtPass1;
    if (check == ValidateCheck::ConfirmText) return txtPass2;
    return nullptr;
}

// File routines

int TMDIGatewayConfig::ReadInteger(const TMemIniFile &ini, const std::string &section, const std::string &key,
                                   int def, const std::string &label, const std::string &defaultText, int min,
                                   int max, bool &replaced)
{
    return vxt::ReadInteger(ini, section, key, def, label, defaultText, min, max, replaced, ShowWarning);
}

std::string TMDIGatewayConfig::ReadString(const TMemIniFile &ini, const std::string &section,
                                          const std::string &key, const std::string &def, int maxLength,
                                          bool &replaced)
{
    return vxt::ReadString(ini, section, key, def, maxLength, replaced, ShowWarning);
}

void TMDIGatewayConfig::SetCOMFromFile()
{
    bool replaced = false;
    SerialToPage(ReadSerialSettings(Family, *Ini, replaced, ShowWarning));
    if (replaced) Saved = false;
}

void TMDIGatewayConfig::SetEMAILFromFile()
{
    bool replaced = false;
    EmailToPage(ReadEmailSettings(Family, *Ini, replaced, ShowWarning));
    if (replaced) Saved = false;
    OnEmailEnableClick();
}

void TMDIGatewayConfig::SetTAGSFromFile()
{
    AddRunTimeColumns();
    for (const TTagRow &row : ReadTagRows(Family, *Ini)) AddRow(row);
}

void TMDIGatewayConfig::SetFileVersion() { WriteHeader(Family, *Ini); }
void TMDIGatewayConfig::SetFileFromCOM() { WriteSerialSettings(Family, *Ini, SerialFromPage()); }
void TMDIGatewayConfig::SetFileFromEMAIL() { WriteEmailSettings(*Ini, EmailFromPage()); }
void TMDIGatewayConfig::SetFileFromTAGS() { WriteTagRows(Family, *Ini, AllRows()); }

// Pages as values

TSerialSettings TMDIGatewayConfig::SerialFromPage() const
{
    TSerialSettings s;
    s.ComType = cboComType->currentIndex();
    s.Baud = cboBaudRate->currentIndex();
    s.Parity = cboParity->currentIndex();
    s.ScanTime = sldScanTime->value();
    s.MsgTimeout = sldMessageTout->value();
    SerialExtrasFromPage(s);
    return s;
}

void TMDIGatewayConfig::SerialToPage(const TSerialSettings &s)
{
    if (s.ComType >= 0 && s.ComType < cboComType->count()) cboComType->setCurrentIndex(s.ComType);
    if (s.Baud >= 0 && s.Baud < cboBaudRate->count()) cboBaudRate->setCurrentIndex(s.Baud);
    if (s.Parity >= 0 && s.Parity < cboParity->count()) cboParity->setCurrentIndex(s.Parity);
    SerialExtrasToPage(s);
    sldScanTime->setValue(s.ScanTime);
    sldMessageTout->setValue(s.MsgTimeout);
}

void TMDIGatewayConfig::SerialExtrasFromPage(TSerialSettings &) const {}
void TMDIGatewayConfig::SerialExtrasToPage(const TSerialSettings &) {}

TEmailSettings TMDIGatewayConfig::EmailFromPage() const
{
    TEmailSettings e;
    e.Enable = chkEMailEnable->isChecked();
    // Names and addresses without the blanks at their ends, as the file keeps them: what is sent is
    // what a reopened file holds.
    e.Server = Trim(StdStr(txtEMailServer->text()));
    e.Timeout = IntOf(txtEMailTimeout);
    e.Retries = IntOf(txtEMailRetries);
    e.RetryInt = IntOf(txtEMailInterRetries);
    e.From = Trim(StdStr(txtEMailSender->text()));
    e.Auth = chkAuth->isChecked();
    e.User = Trim(StdStr(txtUser->text()));
    e.Pass = StdStr(txtPass1->text());
    e.PassConfirm = StdStr(txtPass2->text());
    for (int i = 0; i < lstEMailRecipients->count(); ++i)
        e.Recipients.push_back(Trim(StdStr(lstEMailRecipients->item(i)->text())));
    return e;
}

void TMDIGatewayConfig::EmailToPage(const TEmailSettings &e)
{
    chkEMailEnable->setChecked(e.Enable);
    txtEMailServer->setText(QStr(e.Server));
    txtEMailTimeout->setText(QString::number(e.Timeout));
    txtEMailRetries->setText(QString::number(e.Retries));
    txtEMailInterRetries->setText(QString::number(e.RetryInt));
    txtEMailSender->setText(QStr(e.From));
    chkAuth->setChecked(e.Auth);
    txtUser->setText(QStr(e.User));
    txtPass1->setText(QStr(e.Pass));
    txtPass2->setText(QStr(e.PassConfirm));
    lstEMailRecipients->clear();
    for (const std::string &r : e.Recipients) lstEMailRecipients->addItem(QStr(r));
}

void TMDIGatewayConfig::GetEmailConfig(TEmailConfig &c, bool auth) const
{
    const TEmailSettings e = EmailFromPage();
    c.Enable = e.Enable;
    c.Server = e.Server;
    c.Timeout = e.Timeout;
    c.Retries = e.Retries;
    c.RetryInt = e.RetryInt;
    c.From = e.From;
    c.RecipientCount = std::min<int>(int(e.Recipients.size()), kMaxRecipients);
    for (size_t i = 0; i < c.Recipients.size(); ++i)
        c.Recipients[i] = int(i) < c.RecipientCount ? e.Recipients[i] : std::string();
    c.Auth = auth && e.Auth;
    c.User = auth ? e.User : std::string();
    c.Pass = auth ? e.Pass : std::string();
}

void TMDIGatewayConfig::SetEmailConfig(const TEmailConfig &c)
{
    TEmailSettings e;
    e.Enable = c.Enable;
    e.Server = c.Server;
    e.Timeout = c.Timeout;
    e.Retries = c.Retries;
    e.RetryInt = c.RetryInt;
    e.From = c.From;
    e.Auth = c.Auth;
    e.User = c.User;
    e.Pass = e.PassConfirm = c.Pass;
    // The count says which slots are in use; an empty slot among them shows as an empty line,
    // which Validate then refuses, rather than moving the addresses after it up.
    const int count = std::clamp(c.RecipientCount, 0, int(c.Recipients.size()));
    for (int i = 0; i < count; ++i) e.Recipients.push_back(c.Recipients[size_t(i)]);
    EmailToPage(e);
}

// Change tracking and enable rules

void TMDIGatewayConfig::OnChangeGeneral()
{
    if (Loaded) Saved = false;
}

void TMDIGatewayConfig::OnEmailEnableClick()
{
    OnChangeGeneral();
    const bool relay = chkEMailEnable->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{txtEMailServer, chkAuth, txtEMailTimeout, txtEMailRetries,
                                                       txtEMailInterRetries, txtEMailSender})
        w->setEnabled(relay);
    const bool auth = relay && chkAuth->isChecked();
    for (QWidget *w : {txtUser, txtPass1, txtPass2}) w->setEnabled(auth);
}

bool TMDIGatewayConfig::OnIntegerKeyPressGeneral(QChar key)
{
    return key == QChar(8) || (key >= QLatin1Char('0') && key <= QLatin1Char('9'));
}

void TMDIGatewayConfig::sldScanTimeChange()
{
    stScanTime->setText(QStr(Format("%d ms", sldScanTime->value())));
    OnChangeGeneral();
}

void TMDIGatewayConfig::sldMessageToutChange()
{
    stMessageTout->setText(QStr(Format("%d ms", sldMessageTout->value())));
    OnChangeGeneral();
}

void TMDIGatewayConfig::AskInteger(QSlider *slider, const char *title)
{
    if (!frmInputInteger) return;
    frmInputInteger->Title = title;
    frmInputInteger->MinValue = slider->minimum();
    frmInputInteger->MaxValue = slider->maximum();
    frmInputInteger->Value = slider->value();
    if (frmInputInteger->exec() == QDialog::Accepted) slider->setValue(frmInputInteger->Value);
}

void TMDIGatewayConfig::btnScanTimeClick() { AskInteger(sldScanTime, "Scan Time (ms)"); }
void TMDIGatewayConfig::btnMessageToutClick() { AskInteger(sldMessageTout, "Message Timeout (ms)"); }

// Recipients

int TMDIGatewayConfig::SelectedRecipient() const
{
    const QList<QListWidgetItem *> sel = lstEMailRecipients->selectedItems();
    return sel.isEmpty() ? -1 : lstEMailRecipients->row(sel.first());
}

void TMDIGatewayConfig::btnEMailAddClick()
{
    if (lstEMailRecipients->count() >= kMaxRecipients) {
        ShowInformation("Can\xB4t add more than 5 E-Mail Addresses.");
        return;
    }
    if (!frmEmail) return;
    frmEmail->EditMode = 0;
    if (frmEmail->exec() != QDialog::Accepted) return;
    lstEMailRecipients->addItem(QStr(frmEmail->Address));
    OnChangeGeneral();
}

void TMDIGatewayConfig::btnEMailEditClick()
{
    const int i = SelectedRecipient();
    if (i < 0 || !frmEmail) return;
    frmEmail->EditMode = 1;
    frmEmail->Address = StdStr(lstEMailRecipients->item(i)->text());
    if (frmEmail->exec() != QDialog::Accepted) return;
    lstEMailRecipients->item(i)->setText(QStr(frmEmail->Address));
    OnChangeGeneral();
}

void TMDIGatewayConfig::btnEMailDeleteClick()
{
    const int i = SelectedRecipient();
    if (i < 0) return;
    const std::string address = StdStr(lstEMailRecipients->item(i)->text());
    if (MessageDlg(Format("Are you sure you want to delete the \"%s\" E-Mail Address?", address.c_str()),
                   MsgKind::Confirmation, mbYesNo) != MsgResult::Yes)
        return;
    delete lstEMailRecipients->takeItem(i);
    OnChangeGeneral();
}

void TMDIGatewayConfig::SwapRecipients(int a, int b)
{
    const QString ta = lstEMailRecipients->item(a)->text();
    lstEMailRecipients->item(a)->setText(lstEMailRecipients->item(b)->text());
    lstEMailRecipients->item(b)->setText(ta);
    lstEMailRecipients->setCurrentRow(b);
    OnChangeGeneral();
}

void TMDIGatewayConfig::btnUpClick()
{
    const int i = SelectedRecipient();
    if (i > 0) SwapRecipients(i, i - 1);
}

void TMDIGatewayConfig::btnDownClick()
{
    const int i = SelectedRecipient();
    if (i >= 0 && i < lstEMailRecipients->count() - 1) SwapRecipients(i, i + 1);
}

// The tag list

std::vector<const TTagColumn *> TMDIGatewayConfig::Columns() const
{
    std::vector<const TTagColumn *> r;
    for (const TTagColumn &c : Family.TagColumns)
        if (c.Caption) r.push_back(&c);
    return r;
}

int TMDIGatewayConfig::GetTagCount() const { return lstTags->rowCount(); }

int TMDIGatewayConfig::SelectedTagIndex() const
{
    const QList<QTableWidgetItem *> sel = lstTags->selectedItems();
    return sel.isEmpty() ? -1 : sel.first()->row();
}

std::string TMDIGatewayConfig::TagName(int index) const
{
    const QTableWidgetItem *item = lstTags->item(index, 0);
    return item ? StdStr(item->text()) : std::string();
}

bool TMDIGatewayConfig::TagExists(const std::string &name, int exceptIndex) const
{
    for (int i = 0; i < lstTags->rowCount(); ++i)
        if (i != exceptIndex && TagName(i) == name) return true;
    return false;
}

TTagRow TMDIGatewayConfig::RowTexts(int index) const
{
    TTagRow row;
    const int shown = int(Columns().size());
    for (int c = 0; c < shown; ++c) {
        const QTableWidgetItem *item = lstTags->item(index, c);
        row.push_back(item ? StdStr(item->text()) : std::string());
    }
    const QTableWidgetItem *first = lstTags->item(index, 0);
    row.push_back(first ? StdStr(first->data(kKindRole).toString()) : std::string());
    return row;
}

std::vector<TTagRow> TMDIGatewayConfig::AllRows() const
{
    std::vector<TTagRow> rows;
    for (int i = 0; i < lstTags->rowCount(); ++i) rows.push_back(RowTexts(i));
    return rows;
}

void TMDIGatewayConfig::AddRow(const TTagRow &row)
{
    const int r = lstTags->rowCount();
    lstTags->insertRow(r);
    for (int c = 0; c < lstTags->columnCount(); ++c) lstTags->setItem(r, c, new QTableWidgetItem);
    SetRowTexts(r, row);
}

void TMDIGatewayConfig::ReplaceSelectedRow(const TTagRow &row)
{
    const int r = SelectedTagIndex();
    if (r >= 0) SetRowTexts(r, row);
}

void TMDIGatewayConfig::SetRowTexts(int r, const TTagRow &row)
{
    const std::vector<const TTagColumn *> columns = Columns();
    for (int c = 0; c < int(columns.size()) && c < lstTags->columnCount(); ++c) {
        QTableWidgetItem *item = lstTags->item(r, c);
        item->setText(QStr(size_t(c) < row.size() ? row[size_t(c)] : std::string()));
        item->setTextAlignment(AlignmentOf(columns[size_t(c)]->Align));
    }
    lstTags->item(r, 0)->setData(kKindRole, QStr(row.size() > columns.size() ? row.back() : std::string()));
    lstTags->resizeColumnsToContents();
}

void TMDIGatewayConfig::DeleteSelectedTag()
{
    const int r = SelectedTagIndex();
    if (r >= 0) lstTags->removeRow(r);
}

void TMDIGatewayConfig::ClearTags() { lstTags->setRowCount(0); }

void TMDIGatewayConfig::lstTagsDblClick()
{
    const int row = SelectedTagIndex();
    if (row < 0) return;
    RunCommand([&]() {
        LoadTagIntoEditor(row);
        for (;;) {
            if (!ShowTagEditor(1)) return;
            const std::string name = EditorTagName();
            if (!TagExists(name, row)) break;
            ShowError(Format("The Tag %s already exists.", name.c_str()));
        }
        ReplaceSelectedWithEditorTag();
        Saved = false;
    });
}

}  // namespace vxt
