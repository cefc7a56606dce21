#include "NearNames.h"

#include <algorithm>
#include <tuple>
#include <vector>

namespace NearNames {

namespace {

constexpr qsizetype MostShown = 3;

qsizetype editDistance(const QString& a, const QString& b) {
    std::vector<qsizetype> row(static_cast<size_t>(b.size()) + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[static_cast<size_t>(j)] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype above = row[static_cast<size_t>(j)];
            row[static_cast<size_t>(j)] = std::min({above + 1, row[static_cast<size_t>(j - 1)] + 1,
                                                    diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

// Every part of RT_JAC_BASIC is a part of RT_JAC_USER_BASIC: a name with a word left out.
bool holdsEveryPart(const QString& name, const QString& word) {
    const QStringList parts = word.split(QLatin1Char('_'), Qt::SkipEmptyParts);
    const QStringList nameParts = name.split(QLatin1Char('_'), Qt::SkipEmptyParts);
    return parts.size() > 1 && std::all_of(parts.cbegin(), parts.cend(), [&](const QString& part) {
               return nameParts.contains(part);
           });
}

} // namespace

QStringList closest(const QString& word, const QStringList& names) {
    const QString wanted = word.trimmed().toUpper();
    const qsizetype allowedEdits = std::max<qsizetype>(1, wanted.size() / 4);
    // A misspelling or a name's beginning before a name that merely holds the parts.
    std::vector<std::tuple<bool, qsizetype, QString>> near;
    for (const QString& name : names) {
        const QString upper = name.toUpper();
        const qsizetype distance = editDistance(wanted, upper);
        const bool close =
            distance <= allowedEdits || (wanted.size() >= 3 && upper.startsWith(wanted));
        if (close || holdsEveryPart(upper, wanted))
            near.emplace_back(!close, distance, name);
    }
    std::stable_sort(near.begin(), near.end(), [](const auto& a, const auto& b) {
        return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
    });
    QStringList shown;
    for (const auto& entry : near)
        if (shown.size() < MostShown)
            shown.append(std::get<2>(entry));
    return shown;
}

QString didYouMean(const QStringList& names) {
    if (names.isEmpty())
        return {};
    QString text = QStringLiteral("; did you mean ") + names.first();
    for (qsizetype i = 1; i < names.size(); ++i)
        text += (i + 1 == names.size() ? QStringLiteral(" or ") : QStringLiteral(", ")) + names[i];
    return text + QLatin1Char('?');
}

} // namespace NearNames
