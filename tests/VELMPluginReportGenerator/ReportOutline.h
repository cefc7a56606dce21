#pragma once

#include <QString>
#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMElement;
XERCES_CPP_NAMESPACE_END

// A compact text of an element for comparisons: name[attr=value,...](children) or name=text,
// e.g. Device[ID=3](HostName=a,Report(Row(A=1))).
QString outline(const XERCES_CPP_NAMESPACE::DOMElement* element);
