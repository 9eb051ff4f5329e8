#include "SiteModule.h"

namespace vxt {

void RegisterSiteDocuments() {}

}  // namespace vxt
