#include "VXNServiceFramework/time/LocalTime.h"
#include "VXNServiceFramework/time/SystemZone.h"

#include "ZoneFile.h"

#include <gtest/gtest.h>

#include <QDateTime>

#include <chrono>
#include <ostream>

namespace {

struct Case {
    const char* name;
    const char* zone;
    QDate date;
    QTime time;
    Occurrence occurrence;
    const char* expected; // with the offset in force
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

const Case kCases[] = {
    {"plain summer time",
     "Europe/Berlin",
     {2026, 6, 10},
     {12, 0},
     Occurrence::First,
     "2026-06-10T12:00:00+02:00"},
    {"skipped hour moves by the gap",
     "Europe/Berlin",
     {2026, 3, 29},
     {2, 30},
     Occurrence::First,
     "2026-03-29T03:30:00+02:00"},
    {"repeated hour, first",
     "Europe/Berlin",
     {2026, 10, 25},
     {2, 30},
     Occurrence::First,
     "2026-10-25T02:30:00+02:00"},
    {"repeated hour, later",
     "Europe/Berlin",
     {2026, 10, 25},
     {2, 30},
     Occurrence::Later,
     "2026-10-25T02:30:00+01:00"},
    {"later of a time shown once is that time",
     "Europe/Berlin",
     {2026, 10, 25},
     {4, 0},
     Occurrence::Later,
     "2026-10-25T04:00:00+01:00"},
    // Report periods start at midnight, which some zones skip or repeat.
    {"skipped midnight",
     "America/Sao_Paulo",
     {2018, 11, 4},
     {0, 0},
     Occurrence::First,
     "2018-11-04T01:00:00-02:00"},
    {"repeated hour before midnight, first",
     "America/Sao_Paulo",
     {2019, 2, 16},
     {23, 30},
     Occurrence::First,
     "2019-02-16T23:30:00-02:00"},
    {"repeated hour before midnight, later",
     "America/Sao_Paulo",
     {2019, 2, 16},
     {23, 30},
     Occurrence::Later,
     "2019-02-16T23:30:00-03:00"},
    // The zone skipped a whole day when it moved across the date line.
    {"skipped day",
     "Pacific/Apia",
     {2011, 12, 30},
     {12, 0},
     Occurrence::First,
     "2011-12-31T12:00:00+14:00"},
};

class LocalAtTest : public testing::TestWithParam<Case> {
protected:
    UnsetTz unsetTz;
};

TEST_P(LocalAtTest, NamesTheInstantShowingTheWallTime) {
    const Case& c = GetParam();
    ZoneFile zoneFile(c.zone);
    const SystemZone zone(zoneFile.path(), std::chrono::milliseconds::zero());
    const QDateTime at = localAt(c.date, c.time, c.occurrence);
    EXPECT_EQ(at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODate).toStdString(),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(Zones, LocalAtTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                             return "case" + std::to_string(info.index);
                         });

} // namespace
