// The Modbus configuration transfer: the shared transfer dialog with the Modbus record and its
// serial-port and tag requests.
#pragma once

#include "TransferConfig.h"

namespace vxt {

class TfrmTransferModbusConfig : public TfrmTransferConfig {
    Q_OBJECT
public:
    explicit TfrmTransferModbusConfig(QWidget *parent = nullptr);

    TModbusVeltoConfig Config;

protected:
    void ComRequest(TPacket &request) const override;
    void ComReply(const TPacket &reply) override;
    TEmailConfig &EmailConfig() override { return Config.Email; }
    int32_t &TagCountField() override { return Config.TagCount; }
    void TagRequest(int index, TPacket &request) const override;
    void TagReply(int index, const TPacket &reply) override;
};

extern TfrmTransferModbusConfig *frmTransferModbusConfig;

}  // namespace vxt
