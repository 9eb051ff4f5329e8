#include "GatewayModule.h"

namespace vxt {

void RegisterGatewayDocuments() {}

}  // namespace vxt
