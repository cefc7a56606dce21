#pragma once

#include "VXNServiceFramework/dom/DomTypes.h"

#include <QString>
#include <optional>

// What Xerces' own DOM writer makes of `node` with its default settings (a document with the
// declaration naming UTF-16), without any of our shortcuts; nullopt when it refuses the node.
// The reference for the service's faster writing paths.
std::optional<QString> xercesWriterText(dom::NodeRef node);
