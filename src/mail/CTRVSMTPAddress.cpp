#include "mail/CTRVSMTPAddress.h"

#include "mail/MimeCodecs.h"

CTRVSMTPAddress CTRVSMTPAddress::Parse(QByteArrayView text) {
    const QByteArray trimmed = text.toByteArray().trimmed();
    const qsizetype open = trimmed.indexOf('<');
    const qsizetype close = open < 0 ? -1 : trimmed.indexOf('>', open + 1);
    if (open >= 0 && close > open + 1)
        return {trimmed.left(open).simplified(), trimmed.mid(open + 1, close - open - 1)};
    return {QByteArray(), trimmed};
}

QByteArray CTRVSMTPAddress::ToHeaderText(QByteArrayView charset) const {
    if (name.isEmpty())
        return address;
    return MimeCodecs::EncodePhrase(name, charset) + " <" + address + ">";
}
