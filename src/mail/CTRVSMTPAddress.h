#pragma once

#include <QByteArray>
#include <QByteArrayView>

// A mailbox: display name (may be empty) and address, both 8-bit texts.
struct CTRVSMTPAddress {
    QByteArray name;
    QByteArray address;

    // "Name <a@b>" (the name with its white space simplified) or a bare "a@b".
    static CTRVSMTPAddress Parse(QByteArrayView text);

    // The form written in From, To, Cc and Reply-To: the bare address, or the name (as encoded
    // words in the given charset when it needs them) followed by " <address>".
    QByteArray ToHeaderText(QByteArrayView charset) const;

    bool operator==(const CTRVSMTPAddress&) const = default;
};
