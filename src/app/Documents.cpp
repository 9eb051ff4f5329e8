#include "Documents.h"

#include "ChildWin.h"

#include <typeinfo>
#include <vector>

namespace vxt {

namespace {
std::vector<DocumentClass> &Classes()
{
    static std::vector<DocumentClass> classes;
    return classes;
}
}  // namespace

void RegisterDocumentClass(const DocumentClass &cls)
{
    for (DocumentClass &c : Classes())
        if (c.Kind == cls.Kind) {
            c = cls;
            return;
        }
    Classes().push_back(cls);
}

const DocumentClass *FindDocumentClass(DocKind kind)
{
    for (const DocumentClass &c : Classes())
        if (c.Kind == kind) return &c;
    return nullptr;
}

std::optional<DocKind> KindOf(const TMDIChild *doc)
{
    if (!doc) return std::nullopt;
    const std::type_index t(typeid(*doc));
    for (const DocumentClass &c : Classes())
        if (c.Type == t) return c.Kind;
    return std::nullopt;
}

}  // namespace vxt
