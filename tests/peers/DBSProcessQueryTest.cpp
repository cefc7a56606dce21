#include "PeerPacketTestUtil.h"
#include "peers/CmdDBSProcessQueryRequest.h"
#include "peers/CmdDBSProcessQueryResponse.h"

#include <gtest/gtest.h>

namespace {
TEST(DBSProcessQuery, RequestCarriesEveryStatementInOrder) {
    CmdDBSProcessQueryRequest request;
    request.addQuery(QStringLiteral("CREATE TEMP TABLE t (a)"));
    request.addQuery(QStringLiteral("SELECT a FROM t WHERE a < 3 AND b = 'x&y'"));
    const QString text = bodyText(request);
    EXPECT_TRUE(text.contains(QStringLiteral("command=\"DBSProcessQuery\"")));
    EXPECT_FALSE(text.contains(QStringLiteral("CDATA")));
    EXPECT_EQ(text.count(QStringLiteral("<Query>")), 2);

    const auto back = roundTrip<CmdDBSProcessQueryRequest>(request);
    EXPECT_EQ(back->command(), QStringLiteral("DBSProcessQuery"));
    EXPECT_EQ(back->queries(), request.queries());
}

TEST(DBSProcessQuery, ResultSetsKeepTheirOrderRowsAndLastRowId) {
    CmdDBSProcessQueryResponse response;
    DBSResultSet first; // no rows, no last row id
    DBSResultSet second;
    second.lastRowId = 42;
    second.rows.append({{QStringLiteral("GlobalID"), QStringLiteral("7")},
                        {QStringLiteral("Text"), QStringLiteral("say \"hi\" <b> & 'bye'")}});
    second.rows.append({{QStringLiteral("GlobalID"), QStringLiteral("8")}});
    response.addResultSet(first);
    response.addResultSet(second);

    const QString text = bodyText(response);
    EXPECT_EQ(text.count(QStringLiteral("<Rows")), 2);
    EXPECT_EQ(text.count(QStringLiteral("LastRowID")), 1) << "-1 is never written";
    EXPECT_TRUE(text.indexOf(QStringLiteral("<Rows/>")) <
                text.indexOf(QStringLiteral("LastRowID")));

    const auto back = roundTrip<CmdDBSProcessQueryResponse>(response);
    EXPECT_EQ(back->result(), 0);
    ASSERT_EQ(back->resultSets().size(), 2);
    EXPECT_EQ(back->resultSets()[0], first);
    EXPECT_EQ(back->resultSets()[0].lastRowId, -1);
    EXPECT_EQ(back->resultSets()[1], second);
    EXPECT_EQ(DBSResultSet::value(back->resultSets()[1].rows[1], QStringLiteral("Text")),
              QString());
}

TEST(DBSProcessQuery, ReaderToleratesForeignAnswers) {
    struct Case {
        const char* body;
        int sets;
        int lastRowId;
        int result;
    };
    const Case cases[] = {
        {"<VXNResponse><Result>0</Result><Details>OK</Details></VXNResponse>", 0, -1, 0},
        {"<VXNResponse><Result>0</Result><Details/><Rows LastRowID=\"x\"/></VXNResponse>", 1, -1,
         0},
        {"<VXNResponse><Result>0</Result><Details/><Rows LastRowID=\"-5\"><Row a=\"1\"/>"
         "</Rows></VXNResponse>",
         1, -5, 0},
        {"<VXNResponse><Result>12</Result><Details>no such table</Details></VXNResponse>", 0, -1,
         12},
    };
    for (const Case& c : cases) {
        CmdDBSProcessQueryResponse response;
        response.parse(utf16(QString::fromLatin1(c.body)));
        EXPECT_EQ(response.result(), c.result) << c.body;
        ASSERT_EQ(response.resultSets().size(), c.sets) << c.body;
        if (c.sets) {
            EXPECT_EQ(response.resultSets()[0].lastRowId, c.lastRowId) << c.body;
        }
    }
}
} // namespace
