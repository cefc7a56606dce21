#include "VXNServiceFramework/app/Configuration.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ConfigCase {
    const char* name;
    const char* document;
    const char* dispatcherUrl;
    const char* serviceUrl;
    const char* processName;
    bool malformed;
};

class ConfigurationParse : public ::testing::TestWithParam<ConfigCase> {};

TEST_P(ConfigurationParse, TakesElementsThatOccurExactlyOnce) {
    const ConfigCase& c = GetParam();
    const Configuration config = Configuration::parse(QByteArray(c.document));
    EXPECT_EQ(config.dispatcherUrl, QString::fromUtf8(c.dispatcherUrl));
    EXPECT_EQ(config.serviceUrl, QString::fromUtf8(c.serviceUrl));
    EXPECT_EQ(config.name, QString::fromUtf8(c.processName));
    EXPECT_EQ(!config.error.isEmpty(), c.malformed) << config.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Documents, ConfigurationParse,
    ::testing::Values(
        ConfigCase{"AllThree",
                   "<Config><DispatcherURL>http://ns:8000/</DispatcherURL>"
                   "<ServiceURL>http://host:9000/</ServiceURL><Name>Report</Name></Config>",
                   "http://ns:8000/", "http://host:9000/", "Report", false},
        ConfigCase{"RootNameAndDepthDoNotMatter",
                   "<?xml version=\"1.0\"?><Anything><a><b><ServiceURL>http://h:1/</ServiceURL>"
                   "</b></a></Anything>",
                   "", "http://h:1/", "", false},
        ConfigCase{"TwoServiceUrlsCountAsNone",
                   "<C><ServiceURL>http://a:1/</ServiceURL><ServiceURL>http://b:2/</ServiceURL>"
                   "<DispatcherURL>http://ns:3/</DispatcherURL></C>",
                   "http://ns:3/", "", "", false},
        ConfigCase{"NestedSameNameCountsTwice", "<C><Name>a<Name>b</Name></Name></C>", "", "", "",
                   false},
        ConfigCase{"TextOfChildrenAndBlanksTrimmed",
                   "<C><DispatcherURL>\n  http://ns<x/>:8000/ <!-- c --></DispatcherURL></C>",
                   "http://ns:8000/", "", "", false},
        ConfigCase{"EmptyElement", "<C><ServiceURL/></C>", "", "", "", false},
        ConfigCase{"NotWellFormed", "<C><ServiceURL>http://a:1/</C>", "", "", "", true},
        ConfigCase{"EmptyFile", "", "", "", "", true}),
    [](const ::testing::TestParamInfo<ConfigCase>& info) { return std::string(info.param.name); });

TEST(ConfigurationLoad, MissingFileIsReportedAndReadsAsNoFile) {
    const Configuration config = Configuration::load(QStringLiteral("/nonexistent/VELMReport.cfg"));
    EXPECT_TRUE(config.error.contains(QStringLiteral("/nonexistent/VELMReport.cfg")));
    EXPECT_TRUE(config.serviceUrl.isEmpty());
    EXPECT_TRUE(config.dispatcherUrl.isEmpty());
}

TEST(ConfigurationLoad, ReadsFileAndNamesItInErrors) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString good = dir.filePath(QStringLiteral("good.cfg"));
    const QString bad = dir.filePath(QStringLiteral("bad.cfg"));
    {
        QFile f(good);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<C><ServiceURL>http://localhost:7001/</ServiceURL></C>");
    }
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<C><ServiceURL>");
    }
    EXPECT_EQ(Configuration::load(good).serviceUrl, QStringLiteral("http://localhost:7001/"));
    EXPECT_TRUE(Configuration::load(good).error.isEmpty());
    const Configuration broken = Configuration::load(bad);
    EXPECT_TRUE(broken.error.contains(bad));
    EXPECT_TRUE(broken.error.contains(QStringLiteral("not well-formed")));
    EXPECT_TRUE(broken.serviceUrl.isEmpty());
}

} // namespace
