// The Hostlink configuration transfer: the shared transfer dialog with the Hostlink record and its
// serial-port and tag requests.
#pragma once

#include "TransferConfig.h"

namespace vxt {

class TfrmTransferHostlinkConfig : public TfrmTransferConfig {
    Q_OBJECT
public:
    explicit TfrmTransferHostlinkConfig(QWidget *parent = nullptr);

    THostlinkVeltoConfig Config;

protected:
    void ComRequest(TPacket &request) const override;
    void ComReply(const TPacket &reply) override;
    TEmailConfig &EmailConfig() override { return Config.Email; }
    int32_t &TagCountField() override { return Config.TagCount; }
    void TagRequest(int index, TPacket &request) const override;
    void TagReply(int index, const TPacket &reply) override;
};

extern TfrmTransferHostlinkConfig *frmTransferHostlinkConfig;

}  // namespace vxt
