#pragma once

#include "VXNServiceFramework/dom/DomTypes.h"

#include <QByteArray>

// The document an export transforms: root "VXNResponse" holding copies of the report's first
// Info and first Body, in that order, and nothing else. Written pretty-printed as UTF-8.
// Throws dom::WriteError when the writer cannot write it. A null root gives the bare root.
QByteArray exportDocumentText(const dom::Element* reportRoot);
