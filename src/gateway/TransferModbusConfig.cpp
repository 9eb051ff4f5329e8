#include "TransferModbusConfig.h"

#include "ConfigWire.h"

namespace vxt {

TfrmTransferModbusConfig *frmTransferModbusConfig = nullptr;

TfrmTransferModbusConfig::TfrmTransferModbusConfig(QWidget *parent)
    : TfrmTransferConfig("frmTransferModbusConfig", "Modbus", parent)
{
}

void TfrmTransferModbusConfig::ComRequest(TPacket &request) const { BuildSetCom(request, Config); }

void TfrmTransferModbusConfig::ComReply(const TPacket &reply) { ReadCom(reply, Config); }

void TfrmTransferModbusConfig::TagRequest(int index, TPacket &request) const
{
    BuildAddTag(request, Config.Tags[size_t(index)]);
}

void TfrmTransferModbusConfig::TagReply(int index, const TPacket &reply)
{
    ReadTagConfig(reply, Config.Tags[size_t(index)]);
}

}  // namespace vxt
