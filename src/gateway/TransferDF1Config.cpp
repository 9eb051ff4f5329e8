#include "TransferDF1Config.h"

#include "ConfigWire.h"

namespace vxt {

TfrmTransferDF1Config *frmTransferDF1Config = nullptr;

TfrmTransferDF1Config::TfrmTransferDF1Config(QWidget *parent)
    : TfrmTransferConfig("frmTransferDF1Config", "DF1", parent)
{
}

void TfrmTransferDF1Config::ComRequest(TPacket &request) const { BuildSetCom(request, Config); }

void TfrmTransferDF1Config::ComReply(const TPacket &reply) { ReadCom(reply, Config); }

void TfrmTransferDF1Config::TagRequest(int index, TPacket &request) const
{
    BuildAddTag(request, Config.Tags[size_t(index)]);
}

void TfrmTransferDF1Config::TagReply(int index, const TPacket &reply)
{
    ReadTagConfig(reply, Config.Tags[size_t(index)]);
}

}  // namespace vxt
