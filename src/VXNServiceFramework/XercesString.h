#pragma once

#include <QString>
#include <xercesc/util/XercesDefs.hpp>

// Xerces' XMLCh is char16_t here, the same UTF-16 code units as QString, so both directions
// are plain views or copies without transcoding.

// A NUL-terminated view of `text` for Xerces calls; valid while `text` lives unchanged.
inline const XMLCh* toXml(const QString& text) {
    return reinterpret_cast<const XMLCh*>(text.utf16());
}

// A copy of a Xerces string; a null pointer reads as the empty string.
inline QString fromXml(const XMLCh* text) {
    return text ? QString::fromUtf16(text) : QString();
}
