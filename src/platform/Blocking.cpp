#include "Blocking.h"

namespace vxt {

BlockingHooks &GetBlockingHooks()
{
    static BlockingHooks hooks;
    return hooks;
}

}  // namespace vxt
