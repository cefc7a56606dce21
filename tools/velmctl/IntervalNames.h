#pragma once

#include <QString>
#include <optional>

// The units a schedule repeats in, as velmctl reads them: the scheduler's words (hour, day, week,
// month) and the names report templates store (I_HOUR, I_DAY, I_WEEK, I_MONTH), both spellings
// in any case for either verb family.
namespace IntervalNames {

enum class Unit { Hour, Day, Week, Month };

// The unit `name` stands for; nothing for any other text.
std::optional<Unit> unitOf(const QString& name);
// "week"
QString word(Unit unit);
// "I_WEEK", as templates store it.
QString templateName(Unit unit);

} // namespace IntervalNames
