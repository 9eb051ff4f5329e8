// The Hostlink gateway configuration document: the shared pages with the Hostlink file and tags.
#pragma once

#include "ConfigDocumentOf.h"
#include "HostlinkTags.h"
#include "TransferHostlinkConfig.h"

namespace vxt {

struct HostlinkDocTraits {
    using Tag = THostlinkTagConfig;
    using Config = THostlinkVeltoConfig;
    static const TFamilyDesc &Family();
    static TTagRow ToRow(const Tag &t);
    static void FromRow(const TTagRow &row, Tag &t);
    static void SerialToConfig(const TSerialSettings &s, Config &c);
    static TSerialSettings SerialOfConfig(const Config &c);
    static TfrmHostlinkTags *Editor() { return frmHostlinkTags; }
    static TfrmTransferHostlinkConfig *Transfer();
};

class TMDIHostlinkConfig : public TMDIConfigOf<HostlinkDocTraits> {
    Q_OBJECT
public:
    explicit TMDIHostlinkConfig(QWidget *parent = nullptr);
};

}  // namespace vxt
