#include "GatewayModule.h"

#include "DF1Config.h"
#include "Documents.h"
#include "HostlinkConfig.h"
#include "ModbusConfig.h"

namespace vxt {

void RegisterGatewayDocuments()
{
    RegisterDocumentClass({DocKind::Modbus, typeid(TMDIModbusConfig), [] { return new TMDIModbusConfig; }, ".vlt"});
    RegisterDocumentClass(
        {DocKind::Hostlink, typeid(TMDIHostlinkConfig), [] { return new TMDIHostlinkConfig; }, ".vlt"});
    RegisterDocumentClass({DocKind::DF1, typeid(TMDIDF1Config), [] { return new TMDIDF1Config; }, ".vlt"});
}

}  // namespace vxt
