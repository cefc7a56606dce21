#include "VXNServiceFramework/dom/XercesRuntime.h"

#include <mutex>
#include <xercesc/util/PlatformUtils.hpp>

namespace xercesRuntime {

void ensureInitialized() {
    static std::once_flag once;
    // call_once lets a failed (throwing) initialisation be retried by the next caller.
    std::call_once(once, [] { XERCES_CPP_NAMESPACE::XMLPlatformUtils::Initialize(); });
}

} // namespace xercesRuntime
