#pragma once

// Internal to the DOM helpers: includes Xerces' headers.

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/XercesString.h"

#include <xercesc/dom/DOMException.hpp>

namespace dom {

// Runs one build step, turning the DOM's own exception into BuildError.
template <class F> auto guarded(F&& step) {
    try {
        return step();
    } catch (const XERCES_CPP_NAMESPACE::DOMException& e) {
        throw BuildError(e.code, fromXml(e.getMessage()));
    }
}

} // namespace dom
