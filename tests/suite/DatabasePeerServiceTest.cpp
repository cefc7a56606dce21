#include "suite/DatabasePeerService.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// The service writes its answer while reading the database; read back, it must hold exactly
// the result sets the engine collects for the same statements.
class DatabasePeerServiceTest : public ::testing::Test {
protected:
    void SetUp() override { engine.prepareDatabase(); }

    std::unique_ptr<CmdDBSProcessQueryResponse> ask(const QStringList& statements) {
        CmdDBSProcessQueryRequest request;
        for (const QString& sql : statements)
            request.addQuery(sql);
        auto answer = service.processQuery(request);
        QByteArray body;
        answer->serialize(body);
        auto parsed = std::make_unique<CmdDBSProcessQueryResponse>();
        parsed->parse(body);
        return parsed;
    }

    QTemporaryDir dir;
    SqlEngine engine{dir.filePath(QStringLiteral("db.sqlite"))};
    DatabasePeerService service{engine};
};

TEST_F(DatabasePeerServiceTest, StreamedAnswerEqualsTheCollectedResultSets) {
    const QStringList statements = {
        QStringLiteral("CREATE TEMP TABLE v (a, b)"),
        QStringLiteral("INSERT INTO v VALUES ('plain', NULL), ('tab\there\nnew\r\nline', 1.5), "
                       "('Grüße \"<&>\" it''s', x'41'), ('😀', -7)"),
        QStringLiteral("SELECT b AS z, a AS y, a AS x FROM v ORDER BY rowid"),
        QStringLiteral("SELECT 1 AS same, 2 AS same"),
        QStringLiteral("SELECT * FROM v WHERE 0"),
        QStringLiteral("DROP TABLE v"),
    };
    const SqlOutcome expected = engine.run(statements);
    ASSERT_EQ(expected.code, 0) << expected.message.toStdString();
    const auto answer = ask(statements);
    ASSERT_EQ(answer->result(), 0) << answer->details().toStdString();
    EXPECT_EQ(answer->details(), QStringLiteral("OK"));
    ASSERT_EQ(answer->resultSets().size(), expected.resultSets.size());
    for (qsizetype i = 0; i < expected.resultSets.size(); ++i)
        EXPECT_EQ(answer->resultSets()[i], expected.resultSets[i]) << "set " << i;
    EXPECT_EQ(answer->resultSets()[3].rows[0].value(QStringLiteral("same")), QStringLiteral("2"));
}

TEST_F(DatabasePeerServiceTest, AnswersWhatXmlCannotCarryAsAnError) {
    struct Case {
        const char* sql;
        const char* text;
    };
    for (const Case& c : {Case{"SELECT count(*) FROM Devices", "'count(*)' is not a valid XML"},
                          Case{"SELECT 'a' AS v UNION ALL SELECT char(1)",
                               "column 'v' in row 2 holds a character"}}) {
        const auto answer = ask({QString::fromLatin1(c.sql)});
        EXPECT_EQ(answer->result(), DatabasePeerService::unwritableAnswer) << c.sql;
        EXPECT_TRUE(answer->details().contains(QLatin1String(c.text)))
            << answer->details().toStdString();
        EXPECT_TRUE(answer->resultSets().isEmpty());
    }
}
} // namespace

TEST(DatabasePeerServiceLimit, AnAnswerLargerThanClientsReadStopsTheQueryWithAnError) {
    QTemporaryDir dir;
    SqlEngine engine{dir.filePath(QStringLiteral("db.sqlite"))};
    engine.prepareDatabase();
    DatabasePeerService service{engine, 64 * 1024};
    const auto ask = [&](const QString& sql) {
        CmdDBSProcessQueryRequest request;
        request.addQuery(sql);
        return service.processQuery(request);
    };
    const QString rows = QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 "
                                        "FROM n LIMIT %1) SELECT x, 'some text' AS t FROM n");
    const auto small = ask(rows.arg(100));
    EXPECT_EQ(small->result(), 0) << small->details().toStdString();
    const auto large = ask(rows.arg(200000));
    EXPECT_EQ(large->result(), SQLITE_TOOBIG);
    EXPECT_TRUE(large->details().contains(QLatin1String("exceeds the 65536 bytes")))
        << large->details().toStdString();
    // The connection it failed on is not reused in a broken state.
    EXPECT_EQ(ask(rows.arg(3))->result(), 0);
}
