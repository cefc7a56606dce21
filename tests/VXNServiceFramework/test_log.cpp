#include "VXNServiceFramework/app/Log.h"

#include <QFile>
#include <QTemporaryFile>
#include <cstdio>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

TEST(Log, LineStartsWithTwoDigitTimeThenThePrefix) {
    EXPECT_EQ(Log::formatLine(QTime(9, 0, 5), "info", QStringLiteral("Registration successful")),
              "09:00:05 [info] Registration successful\n");
    EXPECT_EQ(Log::formatLine(QTime(23, 59, 59), "err",
                              QString::fromUtf8("Stra\xC3\x9F"
                                                "e")),
              "23:59:59 [err] Stra\xC3\x9F"
              "e\n");
}

TEST(Log, AMessageStaysOneLineWhateverItHolds) {
    // A request text with a line break must not write a line of its own, such as a forged
    // error; tabs and other text pass as they are.
    EXPECT_EQ(
        Log::formatLine(QTime(1, 2, 3), "info",
                        QStringLiteral("Send command: a\n12:34:56 [err] forged\r\tb\x1b[2J\x7f")),
        "01:02:03 [info] Send command: a\\n12:34:56 [err] forged\\r\tb\\x1b[2J\\x7f\n");
}

// Runs `write` with standard output going to a file and answers what was written.
QByteArray captureStdout(const std::function<void()>& write) {
    QTemporaryFile file;
    EXPECT_TRUE(file.open());
    std::fflush(stdout);
    const int saved = ::dup(STDOUT_FILENO);
    ::dup2(file.handle(), STDOUT_FILENO);
    write();
    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    QFile result(file.fileName());
    EXPECT_TRUE(result.open(QIODevice::ReadOnly));
    return result.readAll();
}

TEST(Log, StreamInsertionComposesOneLine) {
    Log::install();
    const QByteArray out = captureStdout([] {
        VELM_ERR << "SendRequest retry in " << 3 << "sec.";
        VELM_INFO << "Registration in naming service: " << QStringLiteral("http://h:1/");
    });
    const QList<QByteArray> lines = out.split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].mid(8), " [err] SendRequest retry in 3sec.");
    EXPECT_EQ(lines[1].mid(8), " [info] Registration in naming service: http://h:1/");
    EXPECT_TRUE(QTime::fromString(QString::fromLatin1(lines[0].left(8)), QStringLiteral("hh:mm:ss"))
                    .isValid());
}

TEST(Log, LinesOfConcurrentWritersStayWhole) {
    Log::install();
    constexpr int Threads = 8;
    constexpr int Messages = 200;
    const QByteArray out = captureStdout([] {
        std::vector<std::thread> writers;
        for (int t = 0; t < Threads; ++t) {
            writers.emplace_back([t] {
                for (int i = 0; i < Messages; ++i) {
                    VELM_INFO << "writer " << t << " message " << i << " "
                              << QString(40, QLatin1Char('a' + t));
                }
            });
        }
        for (auto& writer : writers) {
            writer.join();
        }
    });
    const QList<QByteArray> lines = out.split('\n');
    ASSERT_EQ(lines.size(), Threads * Messages + 1);
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        const int writer = line.mid(line.indexOf("writer ") + 7, 1).toInt();
        EXPECT_TRUE(line.endsWith(" " + QByteArray(40, static_cast<char>('a' + writer))))
            << line.constData();
        EXPECT_EQ(line.mid(8, 8), " [info] ");
    }
}

} // namespace
