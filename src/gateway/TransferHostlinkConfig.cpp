#include "TransferHostlinkConfig.h"

#include "ConfigWire.h"

namespace vxt {

TfrmTransferHostlinkConfig *frmTransferHostlinkConfig = nullptr;

TfrmTransferHostlinkConfig::TfrmTransferHostlinkConfig(QWidget *parent)
    : TfrmTransferConfig("frmTransferHostlinkConfig", "Hostlink", parent)
{
}

void TfrmTransferHostlinkConfig::ComRequest(TPacket &request) const { BuildSetCom(request, Config); }

void TfrmTransferHostlinkConfig::ComReply(const TPacket &reply) { ReadCom(reply, Config); }

void TfrmTransferHostlinkConfig::TagRequest(int index, TPacket &request) const
{
    BuildAddTag(request, Config.Tags[size_t(index)]);
}

void TfrmTransferHostlinkConfig::TagReply(int index, const TPacket &reply)
{
    ReadTagConfig(reply, Config.Tags[size_t(index)]);
}

}  // namespace vxt
