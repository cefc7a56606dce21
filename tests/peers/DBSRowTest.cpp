#include "peers/DBSRow.h"

#include <gtest/gtest.h>

namespace {
const QString a = QStringLiteral("a"), b = QStringLiteral("B"), c = QStringLiteral("c");

TEST(DBSRow, ColumnsInNameOrderWhateverTheInsertionOrder) {
    DBSRow row{{c, QStringLiteral("3")}, {a, QStringLiteral("1")}, {b, QStringLiteral("2")}};
    // Name order is that of the texts' code units: upper case before lower case.
    EXPECT_EQ(row.columns(), QStringList({b, a, c}));
    EXPECT_EQ(row.values(),
              QStringList({QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("3")}));
    EXPECT_EQ(
        row,
        (DBSRow{{a, QStringLiteral("1")}, {b, QStringLiteral("2")}, {c, QStringLiteral("3")}}));
}

TEST(DBSRow, RepeatedColumnKeepsTheLastValueAndMissingReadsEmpty) {
    DBSRow row{{a, QStringLiteral("first")}, {a, QStringLiteral("second")}};
    EXPECT_EQ(row.size(), 1);
    EXPECT_EQ(row.value(a), QStringLiteral("second"));
    row.insert(a, QStringLiteral("third"));
    EXPECT_EQ(row.value(a), QStringLiteral("third"));
    EXPECT_FALSE(row.contains(b));
    EXPECT_TRUE(row.value(b).isNull());
    EXPECT_EQ(row.value(b).toInt(), 0);
    EXPECT_TRUE(DBSRow().value(a).isEmpty());
}

TEST(DBSRow, RowsSharingColumnsChangeIndependently) {
    const QStringList columns{a, c};
    const DBSRow first = DBSRow::fromOrdered(columns, {QStringLiteral("1"), QStringLiteral("2")});
    DBSRow second = DBSRow::fromOrdered(columns, {QStringLiteral("3"), QStringLiteral("4")});
    second.insert(b, QStringLiteral("x"));
    second.insert(a, QStringLiteral("5"));
    EXPECT_EQ(first.columns(), columns);
    EXPECT_EQ(first.value(a), QStringLiteral("1"));
    EXPECT_EQ(second.columns(), QStringList({b, a, c}));
    EXPECT_EQ(second.value(a), QStringLiteral("5"));
    EXPECT_EQ(second.value(c), QStringLiteral("4"));
}
} // namespace
