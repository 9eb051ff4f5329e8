// The DF1 gateway configuration document: data bits and error detection on the Serial Port page,
// only None and Even parity, and the DF1 file and tags.
#pragma once

#include "ConfigDocumentOf.h"
#include "DF1Tags.h"
#include "TransferDF1Config.h"

namespace vxt {

struct DF1DocTraits {
    using Tag = TDF1TagConfig;
    using Config = TDF1VeltoConfig;
    static const TFamilyDesc &Family();
    static TTagRow ToRow(const Tag &t);
    static void FromRow(const TTagRow &row, Tag &t);
    static void SerialToConfig(const TSerialSettings &s, Config &c);
    static TSerialSettings SerialOfConfig(const Config &c);
    static TfrmDF1Tags *Editor() { return frmDF1Tags; }
    static TfrmTransferDF1Config *Transfer();
};

class TMDIDF1Config : public TMDIConfigOf<DF1DocTraits> {
    Q_OBJECT
public:
    explicit TMDIDF1Config(QWidget *parent = nullptr);

    QComboBox *cboDataBits = nullptr;
    QComboBox *cboErrorMethod = nullptr;

protected:
    void BuildSerialExtras(QGridLayout *grid, int &row) override;
    QStringList ParityItems() const override;
    void SerialExtrasFromPage(TSerialSettings &s) const override;
    void SerialExtrasToPage(const TSerialSettings &s) override;
};

}  // namespace vxt
