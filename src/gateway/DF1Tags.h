// The DF1 tag editor: adds or edits one tag of a DF1 gateway configuration. A serial tag is
// addressed by file type, file number and word number. Its lists are the system's tables of DF1
// display texts, offered to the document through the static text and value operations.
#pragma once

#include "TagEditorPlc.h"

namespace vxt {

class TfrmDF1Tags : public TPlcTagEditor {
    Q_OBJECT
public:
    explicit TfrmDF1Tags(QWidget *parent = nullptr);

    TDF1TagConfig Tag;

    QLabel *lblFileType;
    QComboBox *cboFileType;
    QLabel *lblFileNumber;
    QLineEdit *txtFileNumber;
    QLabel *lblWordNumber;
    QLineEdit *txtWordNumber;

    static std::string GetSourceText(uint8_t index);
    static std::string GetTypeText(uint8_t index);
    static std::string GetScaleText(uint8_t index);
    static std::string GetDF1FileTypeText(uint8_t index);
    static uint8_t GetSourceValue(const std::string &text);
    static uint8_t GetTypeValue(const std::string &text);
    static uint8_t GetScaleValue(const std::string &text);
    static uint8_t GetDF1FileTypeValue(const std::string &text);

    void ClearControls() override;
    void SetControls() override;
    bool ValidateDF1();

protected:
    void EnableAddressing(bool serial) override;
    bool ValidateSerial() override { return ValidateDF1(); }
    void GetTagConfiguration() override;
};

extern TfrmDF1Tags *frmDF1Tags;

}  // namespace vxt
