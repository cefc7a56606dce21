#include "scheduler/CmdSchIdList.h"

#include <QStringList>

ScheduleIdSelection ScheduleIdSelection::fromText(const QString& text) {
    ScheduleIdSelection selection;
    if (text.trimmed().toUpper() == QLatin1String("ALL")) {
        selection.all = true;
        return selection;
    }
    const QStringList pieces = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& piece : pieces) {
        bool ok = false;
        const qint32 id = piece.trimmed().toInt(&ok);
        if (ok)
            selection.ids.append(id);
    }
    return selection;
}

QString ScheduleIdSelection::toText() const {
    if (all)
        return QStringLiteral("All");
    QStringList texts;
    for (qint32 id : ids)
        texts.append(QString::number(id));
    return texts.join(QLatin1Char(','));
}

void CmdSchIdListRequest::parse(const QByteArray& body) {
    parseReadable(body);
    serviceName = elementText(QStringLiteral("ServiceName"));
    selection = ScheduleIdSelection::fromText(elementText(QStringLiteral("ScheduleID")));
}

void CmdSchIdListRequest::serialize(QByteArray& body) {
    buildDocument();
    addElement(QStringLiteral("ServiceName"), serviceName);
    addElement(QStringLiteral("ScheduleID"), selection.toText());
    RequestPacket::serialize(body);
}
