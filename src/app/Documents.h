// The document kinds the main window creates. The kinds live in libraries above this one, so they
// register here at start-up; the main window tells a document's kind by its exact class.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <typeindex>

namespace vxt {

class TMDIChild;

enum class DocKind { Modbus = 0, Hostlink = 1, DF1 = 2, Site = 3 };

struct DocumentClass {
    DocKind Kind;
    std::type_index Type;
    std::function<TMDIChild *()> Create;
    std::string Extension;   // ".vlt" or ".kws"
};

void RegisterDocumentClass(const DocumentClass &cls);
const DocumentClass *FindDocumentClass(DocKind kind);
// The kind of exactly this class; a class derived from a registered one has none.
std::optional<DocKind> KindOf(const TMDIChild *doc);
inline bool IsConfigKind(std::optional<DocKind> k)
{
    return k && (*k == DocKind::Modbus || *k == DocKind::Hostlink || *k == DocKind::DF1);
}

}  // namespace vxt
