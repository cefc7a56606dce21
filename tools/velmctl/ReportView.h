#pragma once

#include <QString>
#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMElement;
XERCES_CPP_NAMESPACE_END

// The Body of a report as a person reads it: each device with its columns and properties,
// and every group of rows as an aligned table.
QString formatReportBody(const XERCES_CPP_NAMESPACE::DOMElement* body);
