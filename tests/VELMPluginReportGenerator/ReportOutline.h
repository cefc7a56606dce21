#pragma once

#include "VXNServiceFramework/dom/DomTypes.h"

#include <QString>

// A compact text of an element for comparisons: name[attr=value,...](children) or name=text,
// e.g. Device[ID=3](HostName=a,Report(Row(A=1))).
QString outline(const dom::Element* element);
