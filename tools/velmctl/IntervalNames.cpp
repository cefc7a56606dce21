#include "IntervalNames.h"

#include <array>

namespace IntervalNames {

namespace {

const QString templatePrefix = QStringLiteral("I_");

struct Names {
    Unit unit;
    QString word;
};

const std::array<Names, 4>& names() {
    static const std::array<Names, 4> all = {{{Unit::Hour, QStringLiteral("hour")},
                                              {Unit::Day, QStringLiteral("day")},
                                              {Unit::Week, QStringLiteral("week")},
                                              {Unit::Month, QStringLiteral("month")}}};
    return all;
}

} // namespace

std::optional<Unit> unitOf(const QString& name) {
    QString word = name.trimmed();
    if (word.startsWith(templatePrefix, Qt::CaseInsensitive))
        word = word.mid(templatePrefix.size());
    for (const Names& entry : names())
        if (word.compare(entry.word, Qt::CaseInsensitive) == 0)
            return entry.unit;
    return std::nullopt;
}

QString word(Unit unit) {
    return names()[static_cast<size_t>(unit)].word;
}

QString templateName(Unit unit) {
    return templatePrefix + word(unit).toUpper();
}

} // namespace IntervalNames
