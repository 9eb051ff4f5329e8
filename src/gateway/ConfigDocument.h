// The document window that the Modbus, Hostlink and DF1 configurations share: the Serial Port,
// E-Mails and Tags pages, change tracking, the recipient list, the ".vlt" file, validation and the
// send and get commands. A family supplies its description, its extra serial controls, its tag
// record with its editor and its transfer dialog.
#pragma once

#include "ChildWin.h"
#include "ConfigFamily.h"
#include "ConfigRows.h"
#include "DocumentInterfaces.h"
#include "IniFile.h"

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;
class QTabWidget;
class QTableWidget;
class QToolButton;

namespace vxt {

class TUpDown;

class TMDIGatewayConfig : public TMDIChild, public IConfigDocument {
    Q_OBJECT
public:
    explicit TMDIGatewayConfig(const TFamilyDesc &family, QWidget *parent = nullptr);
    ~TMDIGatewayConfig() override;

    const TFamilyDesc &Family;

    // Document operations
    void New(const std::string &fileName) override;
    void Open(const std::string &fileName) override;
    void OpenContent(const std::string &fileName, const std::string &content) override;
    bool GetFromVelto(const TDeviceData &device) override;
    bool UpdateFile() override;
    bool SaveAs() override;
    bool SendToVelto(const TDeviceData &device) override;
    bool TagsPageActive() const override;
    bool HasSelectedItem() const override;
    bool Validate();

    // The file routines
    int ReadInteger(const TMemIniFile &ini, const std::string &section, const std::string &key, int def,
                    const std::string &label, const std::string &defaultText, int min, int max, bool &replaced);
    std::string ReadString(const TMemIniFile &ini, const std::string &section, const std::string &key,
                           const std::string &def, int maxLength, bool &replaced);
    void SetCOMFromFile();
    void SetEMAILFromFile();
    void SetTAGSFromFile();
    void SetFileVersion();
    void SetFileFromCOM();
    void SetFileFromEMAIL();
    void SetFileFromTAGS();

    // Tag list operations of the main window
    int GetTagCount() const override;
    int SelectedTagIndex() const override;
    std::string TagName(int index) const override;
    bool TagExists(const std::string &name, int exceptIndex) const override;
    void DeleteSelectedTag() override;

    // The rows as texts: the caption, the column texts and the hidden kind.
    TTagRow RowTexts(int index) const;
    std::vector<TTagRow> AllRows() const;
    void AddRow(const TTagRow &row);
    void ReplaceSelectedRow(const TTagRow &row);
    void ClearTags();

    // The first two pages as values.
    TSerialSettings SerialFromPage() const;
    void SerialToPage(const TSerialSettings &s);
    TEmailSettings EmailFromPage() const;
    void EmailToPage(const TEmailSettings &e);
    // The e-mail part of a configuration record; without authentication when `auth` is false.
    void GetEmailConfig(TEmailConfig &e, bool auth) const;
    void SetEmailConfig(const TEmailConfig &e);

    std::unique_ptr<TMemIniFile> Ini;
    bool Loaded = false;

    // Controls
    QTabWidget *PageControl = nullptr;
    QWidget *tbsCom = nullptr, *tbsEMail = nullptr, *tbsTags = nullptr;
    QGroupBox *grpCom = nullptr;
    QComboBox *cboComType = nullptr, *cboBaudRate = nullptr, *cboParity = nullptr;
    QSlider *sldScanTime = nullptr, *sldMessageTout = nullptr;
    QLabel *stScanTime = nullptr, *stMessageTout = nullptr;
    QPushButton *btnScanTime = nullptr, *btnMessageTout = nullptr;
    QGroupBox *grpEmailParams = nullptr, *grpEmailDestinations = nullptr;
    QCheckBox *chkEMailEnable = nullptr, *chkAuth = nullptr;
    QLineEdit *txtEMailServer = nullptr, *txtUser = nullptr, *txtPass1 = nullptr, *txtPass2 = nullptr;
    QLineEdit *txtEMailTimeout = nullptr, *txtEMailRetries = nullptr, *txtEMailInterRetries = nullptr;
    QLineEdit *txtEMailSender = nullptr;
    TUpDown *udnEMailTimeout = nullptr, *udnEMailRetries = nullptr, *udnEMailInterRetries = nullptr;
    QListWidget *lstEMailRecipients = nullptr;
    QPushButton *btnEMailAdd = nullptr, *btnEMailEdit = nullptr, *btnEMailDelete = nullptr;
    QToolButton *btnUp = nullptr, *btnDown = nullptr;
    QTableWidget *lstTags = nullptr;

    // Handlers
    void OnChangeGeneral();
    void OnEmailEnableClick();
    static bool OnIntegerKeyPressGeneral(QChar key);
    void sldScanTimeChange();
    void sldMessageToutChange();
    void btnScanTimeClick();
    void btnMessageToutClick();
    void btnEMailAddClick();
    void btnEMailEditClick();
    void btnEMailDeleteClick();
    void btnUpClick();
    void btnDownClick();
    void lstTagsDblClick();

protected:
    // Builds the pages; the family's constructor calls it once its own members exist.
    void BuildPages();
    // The family's serial controls below the parity list.
    virtual void BuildSerialExtras(QGridLayout *grid, int &row);
    virtual QStringList ParityItems() const;
    virtual void SerialExtrasFromPage(TSerialSettings &s) const;
    virtual void SerialExtrasToPage(const TSerialSettings &s);
    // One check of Validate: false when it fails, with the page and the control to show.
    virtual bool CheckPasses(ValidateCheck check, int &page, QWidget *&focus);
    // The box a check judges for the characters its text holds; nullptr for the other checks.
    QLineEdit *HeldTextBox(ValidateCheck check) const;
    // Before the send question: the family's firmware rule.
    virtual void BeforeSend(const TDeviceData &device);
    // The family's record for a send, from the pages (raises on a tag row that does not convert).
    virtual void PrepareSend() = 0;
    virtual void RunSend(const TDeviceData &device) = 0;
    // Shows the transfer for a get; true when it completed and the pages hold what it got.
    virtual bool RunGet(const TDeviceData &device) = 0;

    // A line edit that takes digits only, with its up-down of bounds min..max.
    QLineEdit *IntegerEdit(const char *name, int maxLength, const char *upDownName, int min, int max, TUpDown **upDown);
    QComboBox *ComboBox(const char *name, const QStringList &items, int index);
    // Every list and edit of the first two pages also runs the enable rules (Hostlink and DF1 wiring).
    void WireEnableRulesToEveryControl();
    void WatchEdit(QLineEdit *edit);

private:
    // Shows the image `load` gives, or the reason the file cannot be opened.
    void Load(const std::string &fileName, const std::function<std::unique_ptr<TMemIniFile>()> &load);
    void BuildSerialPage();
    void BuildEmailPage();
    void BuildTagsPage();
    void AddRunTimeColumns();
    void ShowEveryPage();
    void FillImage(TMemIniFile &ini);
    int SelectedRecipient() const;
    void SwapRecipients(int a, int b);
    void SetRowTexts(int row, const TTagRow &texts);
    void AskInteger(QSlider *slider, const char *title);
    std::vector<const TTagColumn *> Columns() const;   // the shown columns, in order
};

// The up-down beside a number box: steps the box's value within its bounds.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    TUpDown(QLineEdit *associate, int min, int max, QWidget *parent = nullptr);
    int Min, Max;
    QLineEdit *Associate;
    QToolButton *btnUp, *btnDown;
    void Step(int delta);
};

}  // namespace vxt
