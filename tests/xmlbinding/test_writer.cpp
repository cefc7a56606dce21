#include "test_types.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace testbind;

namespace {

std::string write(const Doc& doc, int* rc = nullptr, std::string* err = nullptr) {
    std::string out;
    xmlb::c_xml_writer w(out, "  ", "\r\n");
    const int code = xmlb::write_document(w, doc);
    if (rc)
        *rc = code;
    if (err)
        *err = w.error_text();
    return out;
}

TEST(Writer, LayoutAttributesAndRoundTrip) {
    Doc doc;
    doc.s = QStringLiteral("a<b&c\"d'e>f");
    doc.n = -7;
    doc.b = true;
    doc.f = 0.25f;
    Entry e;
    e.id = 3;
    e.label = QStringLiteral("x\"y");
    e.value = QStringLiteral("v");
    doc.entry.append(e);
    doc.entry.append(Entry{});
    int rc = -1;
    const std::string out = write(doc, &rc);
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(out, "<doc>\r\n"
                   "  <s>a&lt;b&amp;c&quot;d&apos;e>f</s>\r\n"
                   "  <n>-7</n>\r\n"
                   "  <b>true</b>\r\n"
                   "  <f>0.25</f>\r\n"
                   "  <entry id=\"3\" label=\"x&quot;y\">v</entry>\r\n"
                   "  <entry id=\"0\"></entry>\r\n"
                   "</doc>\r\n");
    Doc back;
    std::string err;
    ASSERT_EQ(read(out, back, &err), 0) << err;
    EXPECT_EQ(back.s, doc.s);
    EXPECT_EQ(back.entry.size(), 2);
    EXPECT_EQ(back.entry[0].label, e.label);
    EXPECT_FALSE(back.entry[1].label.has_value());
}

TEST(Writer, OccurrenceLimitsAreWriterErrors) {
    Doc doc;
    for (int i = 0; i < 4; ++i)
        doc.entry.append(Entry{});
    int rc = 0;
    std::string err;
    write(doc, &rc, &err);
    EXPECT_EQ(rc, 26);
    EXPECT_EQ(err, "'entry'-Element instances exceeds maxOccurs");
}

TEST(Writer, SurrogatesAndLevels) {
    std::string out;
    xmlb::c_xml_writer w(out, "\t", "\n");
    w.lower();
    EXPECT_EQ(w.level(), 0);
    w.value(QString::fromUcs4(U"\U00010348") + QChar(0xDC00) + QStringLiteral("rest"));
    EXPECT_EQ(out, "\xF0\x90\x8D\x88");
    EXPECT_EQ(w.error_text(), "No Error");
}

TEST(ReadFile, ReadsAcrossChunkBoundariesAndReportsMissingFiles) {
    const auto path = std::filesystem::temp_directory_path() / "xmlb_read_file_test.xml";
    std::string big(70000, 'a');
    for (std::size_t i = 1000; i + 3 < big.size(); i += 4099) // multi-byte characters everywhere
        big.replace(i, 3, "\xE2\x82\xAC");
    {
        std::ofstream out(path, std::ios::binary);
        out << "<doc><s>" << big << "</s></doc>";
    }
    xmlb::c_read_file file(path.wstring().c_str());
    xmlb::c_xml_reader reader(file);
    Doc doc;
    EXPECT_EQ(xmlb::read_document(reader, doc), 0) << reader.error_text();
    EXPECT_EQ(doc.s, QString::fromUtf8(big.data(), qsizetype(big.size())));
    std::filesystem::remove(path);

    xmlb::c_read_file missing(std::filesystem::path("/nonexistent/dir/x.xml"));
    xmlb::c_xml_reader r2(missing);
    EXPECT_EQ(xmlb::read_document(r2, doc), xmlb::err_open_file);
    EXPECT_EQ(r2.error_text(), "line:1-'/nonexistent/dir/x.xml'-Unable to open file");
}

TEST(ReadFile, ByteInterfaceStepsBackAcrossChunks) {
    const char data[] = "ab";
    xmlb::c_read_memory m(data, data + 2);
    EXPECT_EQ(m.get(), 'a');
    m.unget();
    EXPECT_EQ(m.get(), 'a');
    EXPECT_EQ(m.get(), 'b');
    EXPECT_EQ(m.get(), -1);
    EXPECT_TRUE(m.at_end());
}

TEST(Errors, EveryCodeHasItsMessage) {
    EXPECT_STREQ(xmlb::error_message(0), "No Error");
    EXPECT_STREQ(xmlb::error_message(15),
                 "Mis-match between specified char encoding and read bytes");
    EXPECT_STREQ(xmlb::error_message(41), "Entity not found");
    EXPECT_STREQ(xmlb::error_message(42), "Unknown error");
}

} // namespace
