#pragma once

#include "VXNServiceFramework/packets/Packet.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QString>
#include <memory>

// The body a packet writes, as text (DOM-family bodies are UTF-16LE).
inline QString bodyText(Packet& packet) {
    QByteArray body;
    packet.serialize(body);
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(body.constData()), body.size() / 2);
}

// Writes `from` and reads the body into a fresh `To`.
template <class To, class From> std::unique_ptr<To> roundTrip(From& from) {
    QByteArray body;
    from.serialize(body);
    auto to = std::make_unique<To>();
    to->parse(body);
    return to;
}

inline QByteArray utf16(const QString& text) {
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

// `text` with one to three characters replaced by or inserted from `pieces`, at random.
inline QString mutated(QString text, QStringView pieces, QRandomGenerator& random) {
    for (int n = random.bounded(1, 4); n > 0; --n) {
        const int at = random.bounded(int(text.size()));
        const QChar piece = pieces[random.bounded(int(pieces.size()))];
        if (random.bounded(3) == 0)
            text.insert(at, piece);
        else
            text[at] = piece;
    }
    return text;
}
