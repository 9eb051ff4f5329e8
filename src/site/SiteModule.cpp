#include "SiteModule.h"

#include "Documents.h"
#include "Site.h"

#include <typeinfo>

namespace vxt {

void RegisterSiteDocuments()
{
    RegisterDocumentClass({DocKind::Site, typeid(TMDISite), []() -> TMDIChild * { return new TMDISite; }, ".kws"});
}

}  // namespace vxt
