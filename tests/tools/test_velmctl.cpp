#include "MessageText.h"
#include "NearNames.h"
#include "support/ScriptedHttpPeer.h"

#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <gtest/gtest.h>

namespace {

QByteArray utf16le(const QString& text) {
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Outcome velmctl(const QStringList& arguments, const QByteArray& input = {}) {
    QProcess process;
    process.start(QStringLiteral(VELM_BINARY_DIR "/bin/velmctl"), arguments);
    EXPECT_TRUE(process.waitForStarted(10000));
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

const QString Answer =
    QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"no\" ?>"
                   "<VXNResponse><Result>0</Result><Details>OK \u00e9</Details></VXNResponse>");

TEST(Velmctl, WrapsAFragmentAndPrintsTheDecodedAnswer) {
    ScriptedHttpPeer peer;
    peer.enqueue(ScriptedHttpPeer::ok(utf16le(Answer)));
    const Outcome run = velmctl({QStringLiteral("--url"), peer.url().toString(),
                                 QStringLiteral("RGPGetReportStatus"), QStringLiteral("-")},
                                "  <ReportID>7</ReportID>\n");
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    // Printed in UTF-8, and declared so.
    EXPECT_EQ(QString::fromUtf8(run.out),
              QString(Answer).replace("UTF-16", "UTF-8") + QLatin1Char('\n'));
    ASSERT_TRUE(peer.waitForRequests(1));
    const auto request = peer.requests()[0];
    EXPECT_EQ(request.target, QStringLiteral("RGPGetReportStatus"));
    EXPECT_EQ(request.body,
              "<VXNRequest command=\"RGPGetReportStatus\"><ReportID>7</ReportID></VXNRequest>");
}

TEST(Velmctl, SendsAWholeUtf16DocumentAsGivenAndShowsRawAnswers) {
    const QByteArray document = utf16le(
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?><VXNRequest command=\"Cmd\"/>"));
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write(document);
    file.flush();
    ScriptedHttpPeer peer;
    const QByteArray answer("HTTP/1.1 200 OK\r\nContent-Length:3\r\n\r\na\0b", 40);
    peer.enqueue(ScriptedHttpPeer::raw(answer));
    const Outcome run = velmctl({QStringLiteral("--raw"), QStringLiteral("--url"),
                                 peer.url().toString(), QStringLiteral("Cmd"), file.fileName()});
    // Shown as received, and told apart from a readable answer.
    EXPECT_EQ(run.exitCode, 2) << run.err.constData();
    EXPECT_EQ(run.out, answer);
    ASSERT_TRUE(peer.waitForRequests(1));
    EXPECT_EQ(peer.requests()[0].body, document);
}

TEST(Velmctl, FailuresEndWithDistinctCodes) {
    quint16 port = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    const Outcome refused =
        velmctl({QStringLiteral("--url"), QStringLiteral("http://127.0.0.1:%1/").arg(port),
                 QStringLiteral("Cmd")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(
        refused.err.contains("connection to 127.0.0.1:" + QByteArray::number(port) + " refused"))
        << refused.err.constData();

    ScriptedHttpPeer peer;
    peer.enqueue(ScriptedHttpPeer::raw("HTTP/1.1 200 OK\r\nno colon\r\n\r\n"));
    EXPECT_EQ(
        velmctl({QStringLiteral("--url"), peer.url().toString(), QStringLiteral("Cmd")}).exitCode,
        2);
    EXPECT_EQ(velmctl({QStringLiteral("Cmd")}).exitCode, 64);

    // A refusal is told as such even when its Details are empty.
    peer.enqueue(ScriptedHttpPeer::ok("<VXNResponse><Result>103</Result><Details/></VXNResponse>"));
    const Outcome refusal =
        velmctl({QStringLiteral("--url"), peer.url().toString(), QStringLiteral("Cmd")});
    EXPECT_EQ(refusal.exitCode, 3);
    EXPECT_EQ(refusal.err, "velmctl: the service refused (Result 103)\n");
}

// The readable verbs read the envelope as the raw form does: a service that does not handle the
// command, or an answer that is no VXNResponse, is never shown as success.
TEST(Velmctl, VerbsDoNotTakeAnEmptyEnvelopeOrAForeignDocumentForSuccess) {
    ScriptedHttpPeer peer;
    const QStringList verbs[] = {{"schedule", "list"},
                                 {"schedule", "remove", "--service", "RG", "all"},
                                 {"template", "list"},
                                 {"service", "version"}};
    for (const QStringList& verb : verbs) {
        peer.enqueue(ScriptedHttpPeer::ok("<VXNResponse/>"));
        const Outcome notHandled = velmctl(QStringList{"--url", peer.url().toString()} + verb);
        EXPECT_EQ(notHandled.exitCode, 3) << verb.join(' ').toStdString();
        EXPECT_TRUE(notHandled.err.contains("no service at this address handles"))
            << notHandled.err.constData();

        peer.enqueue(ScriptedHttpPeer::ok("<html><body>hi</body></html>"));
        const Outcome foreign = velmctl(QStringList{"--url", peer.url().toString()} + verb);
        EXPECT_EQ(foreign.exitCode, 2) << verb.join(' ').toStdString();
        EXPECT_TRUE(foreign.err.contains("not a VXNResponse")) << foreign.err.constData();
        EXPECT_TRUE(foreign.out.isEmpty()) << foreign.out.constData();
    }
}

// Report templates are the items of service RG, the default group: a remove that names no
// service would delete them.
TEST(Velmctl, ScheduleRemoveNeedsItsServiceNamed) {
    ScriptedHttpPeer peer;
    for (const QStringList& ids : {QStringList{"all"}, QStringList{"0", "1"}}) {
        const Outcome refused =
            velmctl(QStringList{"--url", peer.url().toString(), "schedule", "remove"} + ids);
        EXPECT_EQ(refused.exitCode, 64);
        EXPECT_TRUE(refused.err.contains("needs --service NAME")) << refused.err.constData();
        EXPECT_TRUE(refused.err.contains("velmctl template delete ID")) << refused.err.constData();
    }
    EXPECT_FALSE(peer.waitForRequests(1, 300));

    peer.enqueue(ScriptedHttpPeer::ok("<VXNResponse><Result>0</Result><Details>OK</Details>"
                                      "</VXNResponse>"));
    const Outcome removed = velmctl(
        {"--url", peer.url().toString(), "schedule", "remove", "--service", "Nightly", "all"});
    EXPECT_EQ(removed.exitCode, 0) << removed.err.constData();
    EXPECT_EQ(removed.out, "Removed all items of service Nightly\n");
    ASSERT_TRUE(peer.waitForRequests(1));
    EXPECT_EQ(peer.requests()[0].target, "SchUnregister");
}

// Every verb that reads a file says why it could not, and sends nothing.
TEST(Velmctl, AFileThatCannotBeReadIsNamedWithTheReason) {
    ScriptedHttpPeer peer;
    QTemporaryDir dir;
    const QString missing = dir.filePath("nosuch.xml");
    const QList<QStringList> uses = {{"report", "generate", "--definition", missing},
                                     {"template", "add", missing},
                                     {"schedule", "add", "--start", "2036-12-08T07:00", "--every",
                                      "day", "--send", "RGPGenerateReport", "--body", missing},
                                     {"RGPGetReportStatus", missing}};
    for (const QStringList& use : uses) {
        const Outcome run = velmctl(QStringList{"--url", peer.url().toString()} + use);
        EXPECT_EQ(run.exitCode, 64) << use.join(' ').toStdString();
        EXPECT_EQ(run.err,
                  "velmctl: cannot read " + missing.toUtf8() + ": No such file or directory\n");
    }
    const Outcome directory =
        velmctl({"--url", peer.url().toString(), "report", "generate", "--definition", dir.path()});
    EXPECT_EQ(directory.exitCode, 64);
    EXPECT_TRUE(directory.err.startsWith("velmctl: cannot read " + dir.path().toUtf8() + ": "))
        << directory.err.constData();
    EXPECT_FALSE(peer.waitForRequests(1, 300));
}

// A first word in lower case is a family; any other goes out as a command name.
TEST(Velmctl, AMistypedFamilyIsNamedAndCommandNamesStillGoOut) {
    ScriptedHttpPeer peer;
    const QString url = peer.url().toString();
    const QList<QPair<QStringList, QByteArray>> mistyped = {
        {{"templates", "list"}, "unknown command family \"templates\"; did you mean template?"},
        {{"reports", "status", "0"}, "\"reports\"; did you mean report?"},
        {{"sched", "list"}, "\"sched\"; did you mean schedule?"},
        {{"help", "services"}, "\"services\"; did you mean service?"},
        {{"help", "foo"}, "\"foo\"; the families are report, schedule, service, template"},
        {{"frobnicate"}, "the families are report, schedule, service, template"}};
    for (const auto& [words, message] : mistyped) {
        const Outcome run = velmctl(QStringList{"--url", url} + words);
        EXPECT_EQ(run.exitCode, 64) << words.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(message)) << run.err.constData();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.constData();
    }
    EXPECT_FALSE(peer.waitForRequests(1, 300));

    peer.enqueue(ScriptedHttpPeer::ok("<VXNResponse><Result>0</Result><Details>OK</Details>"
                                      "</VXNResponse>"));
    EXPECT_EQ(velmctl({"--url", url, "RGPGetReportCategories"}).exitCode, 0);
    ASSERT_TRUE(peer.waitForRequests(1));
    EXPECT_EQ(peer.requests()[0].target, "RGPGetReportCategories");
}

TEST(NearNames, SuggestsTheClosestNamesOrNone) {
    const QStringList types{"RT_DEVICE_LIST",      "RT_DEVICE_INFO_SUMMARY", "RT_JAC_USER_BASIC",
                            "RT_JAC_DEVICE_BASIC", "RT_ALERT_HISTORY",       "RT_ALERT_TREND"};
    EXPECT_EQ(NearNames::closest("RT_DEVICELIST", types), QStringList{"RT_DEVICE_LIST"});
    EXPECT_EQ(NearNames::closest("rt_alerts_history", types), QStringList{"RT_ALERT_HISTORY"});
    // A name with a word left out, or only its end.
    EXPECT_EQ(NearNames::closest("RT_JAC_BASIC", types),
              (QStringList{"RT_JAC_USER_BASIC", "RT_JAC_DEVICE_BASIC"}));
    EXPECT_EQ(NearNames::closest("DEVICE_INFO", types), QStringList{"RT_DEVICE_INFO_SUMMARY"});
    EXPECT_EQ(NearNames::closest("RT_ALERT", types).size(), 2);
    // Names it begins come before names that merely hold its parts.
    EXPECT_EQ(NearNames::closest("RT_DEVICE", types),
              (QStringList{"RT_DEVICE_LIST", "RT_DEVICE_INFO_SUMMARY", "RT_JAC_DEVICE_BASIC"}));
    EXPECT_TRUE(NearNames::closest("RT_PAPER", types).isEmpty());
    EXPECT_TRUE(NearNames::closest("foo", {"report", "schedule", "service"}).isEmpty());
    EXPECT_EQ(NearNames::didYouMean({"a", "b", "c"}), "; did you mean a, b or c?");
    EXPECT_EQ(NearNames::didYouMean({}), "");
}

TEST(MessageText, APrintedAnswerDeclaresTheEncodingItIsPrintedIn) {
    const QList<QPair<QString, QString>> cases{
        {"<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"no\" ?><a>\u00e9</a>",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?><a>\u00e9</a>"},
        {"<?xml version='1.0' encoding='utf-16'?><a/>",
         "<?xml version='1.0' encoding=\"UTF-8\"?><a/>"},
        // No declaration, or none that names an encoding, reads as UTF-8 already; an encoding
        // named in the content stays as it is.
        {"<a>encoding=\"UTF-16\"</a>", "<a>encoding=\"UTF-16\"</a>"},
        {"<?xml version=\"1.0\"?><a encoding=\"x\"/>",
         "<?xml version=\"1.0\"?><a encoding=\"x\"/>"}};
    for (const auto& [answer, printed] : cases)
        EXPECT_EQ(MessageText::asUtf8Document(utf16le(answer)), printed);
}

TEST(MessageText, DecodesEveryAcceptedEncoding) {
    const QString text = QStringLiteral("<a>\u00e9</a>");
    EXPECT_EQ(MessageText::decode(text.toUtf8()), text);
    EXPECT_EQ(MessageText::decode(utf16le(text)), text);
    EXPECT_EQ(MessageText::decode("\xFF\xFE" + utf16le(text)), text);
    QByteArray be;
    for (QChar c : text) {
        be += static_cast<char>(c.unicode() >> 8);
        be += static_cast<char>(c.unicode() & 0xff);
    }
    EXPECT_EQ(MessageText::decode(be), text);
    EXPECT_EQ(MessageText::requestBody(QStringLiteral("A&B"), ""),
              "<VXNRequest command=\"A&amp;B\"></VXNRequest>");
}

} // namespace
