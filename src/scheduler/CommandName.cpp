#include "scheduler/CommandName.h"

QString commandNameOf(const QString& commandText) {
    static const QString marker = QStringLiteral("command=\"");
    const qsizetype at = commandText.indexOf(marker);
    if (at <= 0)
        return {};
    const qsizetype from = at + marker.size();
    const qsizetype end = commandText.indexOf(QStringLiteral("\">"), from);
    return end < 0 ? commandText.mid(from) : commandText.mid(from, end - from);
}
