// The DF1 configuration transfer: the shared transfer dialog with the DF1 record and its
// serial-port and tag requests.
#pragma once

#include "TransferConfig.h"

namespace vxt {

class TfrmTransferDF1Config : public TfrmTransferConfig {
    Q_OBJECT
public:
    explicit TfrmTransferDF1Config(QWidget *parent = nullptr);

    TDF1VeltoConfig Config;

protected:
    void ComRequest(TPacket &request) const override;
    void ComReply(const TPacket &reply) override;
    TEmailConfig &EmailConfig() override { return Config.Email; }
    int32_t &TagCountField() override { return Config.TagCount; }
    void TagRequest(int index, TPacket &request) const override;
    void TagReply(int index, const TPacket &reply) override;
};

extern TfrmTransferDF1Config *frmTransferDF1Config;

}  // namespace vxt
