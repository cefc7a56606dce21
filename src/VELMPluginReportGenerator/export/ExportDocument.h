#pragma once

#include "VXNServiceFramework/dom/DomTypes.h"

#include <QByteArray>
#include <array>

// The parts an export document holds: the report's first Info and first Body, in that order
// (null where the report has none, and both null for a null root).
std::array<const dom::Element*, 2> exportDocumentParts(const dom::Element* reportRoot);

// The document an export transforms: root "VXNResponse" holding copies of the report's first
// Info and first Body, in that order, and nothing else. Written pretty-printed as UTF-8.
// Throws dom::WriteError when the writer cannot write it. A null root gives the bare root.
QByteArray exportDocumentText(const dom::Element* reportRoot);
