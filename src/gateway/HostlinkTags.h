// The Hostlink tag editor: adds or edits one tag of a Hostlink gateway configuration. Its lists are
// the system's tables of Hostlink display texts, offered to the document through the static text
// and value operations.
#pragma once

#include "TagEditorPlc.h"

namespace vxt {

class TfrmHostlinkTags : public TPlcTagEditor {
    Q_OBJECT
public:
    explicit TfrmHostlinkTags(QWidget *parent = nullptr);

    THostlinkTagConfig Tag;

    QLabel *lblUnitID;
    QLineEdit *txtUnitID;
    QLabel *lblHostlinkFunction;
    QComboBox *cboHostlinkFunction;
    QLabel *lblAddress;
    QLineEdit *txtAddress;

    static std::string GetSourceText(uint8_t index);
    static std::string GetTypeText(uint8_t index);
    static std::string GetScaleText(uint8_t index);
    static std::string GetHostlinkFunctionText(uint8_t index);
    static uint8_t GetSourceValue(const std::string &text);
    static uint8_t GetTypeValue(const std::string &text);
    static uint8_t GetScaleValue(const std::string &text);
    static uint8_t GetHostlinkFunctionValue(const std::string &text);

    void ClearControls() override;
    void SetControls() override;
    bool ValidateHostlink();

protected:
    void EnableAddressing(bool serial) override;
    bool ValidateSerial() override { return ValidateHostlink(); }
    void GetTagConfiguration() override;
};

extern TfrmHostlinkTags *frmHostlinkTags;

}  // namespace vxt
