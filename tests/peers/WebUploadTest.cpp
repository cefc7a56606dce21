#include "PeerPacketTestUtil.h"
#include "peers/CmdWebUploadTemporaryFileRequest.h"
#include "peers/CmdWebUploadTemporaryFileResponse.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
QString dataText(const QString& body) {
    const auto match =
        QRegularExpression(QStringLiteral("<Data[^>]*?(?:/>|>([^<]*)</Data>)")).match(body);
    return match.captured(1);
}

TEST(WebUploadTemporaryFile, Base64HasThePadAndNoLineBreaks) {
    struct Case {
        QByteArray data;
        QString encoded;
    };
    QByteArray big(3000, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = char(i * 7);
    const Case cases[] = {
        {QByteArray(), QString()},
        {QByteArray("\x00\x01\xfe\xff", 4), QStringLiteral("AAH+/w==")},
        {big, QString::fromLatin1(big.toBase64())},
    };
    for (const Case& c : cases) {
        CmdWebUploadTemporaryFileRequest request;
        request.fileName = QStringLiteral("Chart1.gif");
        request.data = c.data;
        const QString encoded = dataText(bodyText(request));
        EXPECT_EQ(encoded, c.encoded);
        EXPECT_EQ(encoded.size(), 4 * ((c.data.size() + 2) / 3));
        EXPECT_FALSE(encoded.contains(QLatin1Char('\n')));
        const auto back = roundTrip<CmdWebUploadTemporaryFileRequest>(request);
        EXPECT_EQ(back->data, c.data);
        EXPECT_EQ(back->fileName, QStringLiteral("Chart1.gif"));
    }
}

TEST(WebUploadTemporaryFile, ResponsePathRoundTripsAndReadsEmptyWhenMissing) {
    CmdWebUploadTemporaryFileResponse response;
    response.path = QStringLiteral("temp/ab12_report.html");
    EXPECT_EQ(roundTrip<CmdWebUploadTemporaryFileResponse>(response)->path, response.path);

    CmdWebUploadTemporaryFileResponse missing;
    missing.parse(utf16(QStringLiteral("<VXNResponse><Result>3</Result><Details>x</Details>"
                                       "</VXNResponse>")));
    EXPECT_EQ(missing.result(), 3);
    EXPECT_TRUE(missing.path.isEmpty());
}
} // namespace
