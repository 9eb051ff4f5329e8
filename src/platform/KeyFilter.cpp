#include "KeyFilter.h"

#include <QKeyEvent>

namespace vxt {

bool KeyRefused(const QKeyEvent *key, const std::function<bool(QChar)> &allowed)
{
    if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return false;
    for (QChar c : key->text())
        if (c.isPrint() && !allowed(c)) return true;
    return false;
}

}  // namespace vxt
