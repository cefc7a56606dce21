#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Base64 of RFC 2045 (alphabet A-Z a-z 0-9 + /, pad "="). Encoding emits one unbroken line;
// callers that need 76-character lines split it themselves.
class CBase64Coder {
public:
    static QByteArray Encode(QByteArrayView data);
    // Lenient on purpose (servers' challenges come with stray spaces): characters outside the
    // alphabet are skipped and the first pad character ends the data.
    static QByteArray Decode(QByteArrayView text);
};
