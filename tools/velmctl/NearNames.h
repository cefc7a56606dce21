#pragma once

#include <QString>
#include <QStringList>

// What a mistyped name was likely meant to be: "templates" for template, "RT_DEVICELIST" for
// RT_DEVICE_LIST. Letter case is ignored throughout.
namespace NearNames {

// The names of `names` closest to `word`, best first (at most three): those a few edits away,
// those `word` begins, and those that hold every "_"-separated part of `word`. Empty when none
// is close.
QStringList closest(const QString& word, const QStringList& names);

// "; did you mean A?" or "; did you mean A or B?"; empty for no names.
QString didYouMean(const QStringList& names);

} // namespace NearNames
