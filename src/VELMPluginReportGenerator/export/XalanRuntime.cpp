#include "VELMPluginReportGenerator/export/XalanRuntime.h"

#include "VXNServiceFramework/dom/XercesRuntime.h"

#include <xalanc/XalanTransformer/XalanTransformer.hpp>

namespace xalanRuntime {
namespace {

// Lives from the first transformation to the end of the process. Xerces stays up past it (the
// DOM helpers never terminate it), as Xalan's terminate() needs.
struct Runtime {
    Runtime() { xalanc::XalanTransformer::initialize(); }
    ~Runtime() {
        xalanc::XalanTransformer::terminate();
        xalanc::XalanTransformer::ICUCleanUp();
    }
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;
};

} // namespace

void ensureInitialized() {
    xercesRuntime::ensureInitialized();
    // A function-local static: initialised once, thread-safely, destroyed at exit.
    static const Runtime runtime;
}

} // namespace xalanRuntime
