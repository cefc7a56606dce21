#include "mail/CTRVSMTPAddress.h"

#include "mail/MimeCodecs.h"

CTRVSMTPAddress CTRVSMTPAddress::Parse(QByteArrayView text) {
    const QByteArray trimmed = text.toByteArray().trimmed();
    // The address is the last bracketed one: a display name may hold brackets of its own
    // ("Ops <old@example.com>" <ops@example.com>), and the mail must not go to those.
    for (qsizetype open = trimmed.lastIndexOf('<'); open >= 0;
         open = open > 0 ? trimmed.lastIndexOf('<', open - 1) : -1) {
        const qsizetype close = trimmed.indexOf('>', open + 1);
        if (close > open + 1)
            return {trimmed.left(open).simplified(), trimmed.mid(open + 1, close - open - 1)};
    }
    return {QByteArray(), trimmed};
}

QByteArray CTRVSMTPAddress::ToHeaderText(QByteArrayView charset) const {
    if (name.isEmpty())
        return address;
    return MimeCodecs::EncodePhrase(name, charset) + " <" + address + ">";
}
