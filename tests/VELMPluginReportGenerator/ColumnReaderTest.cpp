#include "VELMPluginReportGenerator/builders/ColumnReader.h"
#include "peers/QueryXmlReader.h"

#include <gtest/gtest.h>

namespace {

QByteArray utf16Body(const QString& text) {
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

TEST(ColumnReader, FollowsRowsWhoseColumnsChangeWithinOneAnswer) {
    // Rows of one shape share their column list; here the shape changes from row to row and
    // back, so positions known for one list must not be used for another.
    const auto parsed = peers::queryxml::parseBody(utf16Body(QStringLiteral(
        "<VXNResponse><Rows><Row a=\"1\" b=\"2\"/><Row a=\"3\" b=\"4\"/><Row b=\"5\" c=\"6\"/>"
        "<Row a=\"7\" b=\"8\"/><Row c=\"9\"/><Row a=\"10\" aa=\"11\" b=\"12\"/></Rows>"
        "</VXNResponse>")));
    ASSERT_TRUE(parsed.ok) << parsed.error.toStdString();
    ColumnReader<2> reader({u"a", u"b"});
    QStringList read;
    for (const DBSRow& row : parsed.resultSets.value(0).rows)
        read << (reader.contains(row, 0) ? reader.value(row, 0) : QStringLiteral("-")) +
                    QLatin1Char('/') + reader.value(row, 1);
    EXPECT_EQ(read, QStringList({"1/2", "3/4", "-/5", "7/8", "-/", "10/12"}));
}

} // namespace
