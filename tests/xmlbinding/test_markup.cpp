#include "test_types.h"

#include <gtest/gtest.h>

using namespace testbind;

namespace {

TEST(Markup, DeclarationDoctypeCommentsCdataAndReferences) {
    const std::string bytes = "<?xml version=\"1.0\" standalone=\"yes\"?>\n"
                              "<!-- before -->\n"
                              "<!DOCTYPE doc [\n"
                              "  <!ELEMENT doc ANY>\n"
                              "  <!ATTLIST entry id CDATA \"0>\">\n"
                              "  <!ENTITY who \"W&#38;#38;&#38;#60;\">\n"
                              "  <!ENTITY greet 'Hi &who;!'>\n"
                              "  <!ENTITY item \"<entry id='7'>seven</entry>\">\n"
                              "]>\n"
                              "<?app data?>\n"
                              "<doc><!-- inside --><s>&greet; &lt;&gt;&amp;&apos;&quot; &#65;&#x42;"
                              "<![CDATA[<raw &]]></s>&item;</doc>\n"
                              "<!-- after -->\n";
    Doc doc;
    std::string err;
    ASSERT_EQ(read(bytes, doc, &err), 0) << err;
    EXPECT_EQ(doc.s, "Hi W&<! <>&'\" AB<raw &");
    ASSERT_EQ(doc.entry.size(), 1);
    EXPECT_EQ(doc.entry[0].id, 7);
    EXPECT_EQ(doc.entry[0].value, "seven");
}

TEST(Markup, EntityInAttributeValueAndNormalisation) {
    Doc doc;
    std::string err;
    ASSERT_EQ(read("<!DOCTYPE doc [<!ENTITY q '\"quoted\"'>]>"
                   "<doc><s/><entry id=\"1\" label=\"a&q;\tb\n&#10;\">v</entry></doc>",
                   doc, &err),
              0)
        << err;
    EXPECT_EQ(doc.entry[0].label, "a\"quoted\" b \n");
}

struct Bad {
    std::string bytes;
    int code;
    std::string item;
};

TEST(Markup, EntityFailures) {
    std::string laughs = "<!DOCTYPE doc [<!ENTITY l0 \"lollollollollollollollollollol\">";
    for (int i = 1; i < 8; ++i)
        laughs += "<!ENTITY l" + std::to_string(i) + " \"" + [&] {
            std::string refs;
            for (int k = 0; k < 10; ++k)
                refs += "&l" + std::to_string(i - 1) + ";";
            return refs;
        }() + "\">";
    laughs += "]><doc><s>&l7;</s></doc>";
    const Bad cases[] = {
        {"<!DOCTYPE doc [<!ENTITY a \"x&a;\">]><doc><s>&a;</s></doc>", 24, "a"},
        {"<!DOCTYPE doc [<!ENTITY a \"&b;\"><!ENTITY b \"&a;\">]><doc><s>&a;</s></doc>", 24, "a"},
        {"<!DOCTYPE doc [<!ENTITY a \"&a;\">]><doc><s/><entry id=\"&a;\"/></doc>", 24, "a"},
        {laughs, 33, "Entity expansion exceeds the limit of 1048576 bytes"},
        {"<doc><s>&nope;</s></doc>", 41, "nope"},
        {"<!DOCTYPE doc [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><doc><s>&e;</s></doc>", 17,
         "External Entity definitions not supported"},
        {"<!DOCTYPE doc SYSTEM \"doc.dtd\"><doc><s/></doc>", 17,
         "External DTD subsets not supported"},
        {"<!DOCTYPE doc [<!ENTITY % p \"x\"> %p;]><doc><s/></doc>", 9,
         "Parameter entity references not supported"},
        {"<!DOCTYPE doc []><!DOCTYPE doc []><doc><s/></doc>", 9,
         "Document type declaration not allowed here"},
        {"<doc><s>&#0;</s></doc>", 23, "Invalid character reference"},
        {"<doc><s>&#xD800;</s></doc>", 23, "Invalid character reference"},
        {"<doc><s>&#12</s></doc>", 23, "Badly formed character reference"},
    };
    for (const Bad& c : cases) {
        Doc doc;
        std::string err;
        EXPECT_EQ(read(c.bytes, doc, &err), c.code) << c.bytes.substr(0, 80) << " -> " << err;
        EXPECT_EQ(err, "line:1-'" + c.item + "'-" + xmlb::error_message(c.code));
    }
}

TEST(Markup, WellFormednessFailures) {
    const Bad cases[] = {
        {"<doc><s>a</s>\n\n</dock>", 23, "Element start tag (doc) and end tag (dock) do not match"},
        {"<doc><s>a</doc>", 23, "Element start tag (s) and end tag (doc) do not match"},
        {"<doc><s>a<!- x --></s></doc>", 8, "Badly formed comment"},
        {"<doc><s>a<!-- x -- y --></s></doc>", 8, "'--' inside a comment"},
        {"<doc><s>a</s></doc><doc/>", 23, "Content after the root element"},
        {"<doc><s>a</s></doc>text", 23, "XML not well-formed"},
        {"<doc><s a='1' a='2'>a</s></doc>", 3, "a"},
        {"<doc><s a='<'>a</s></doc>", 23, "'<' in an attribute value"},
        {"<doc><s/ ></doc>", 11, "Bad start tag end"},
        {"<doc><s>a</s x></doc>", 12, "End tag (s) not closed"},
        {"<doc>text<s/></doc>", 23, "Unexpected character data"},
        {" <?xml version=\"1.0\"?><doc/>", 13, "XML declaration not at the start of the document"},
        {"<?xml version=\"1.1\"?><doc/>", 14, "XML version 1.1"},
        {"<?xml encoding=\"UTF-8\"?><doc/>", 13, "Badly formed XML declaration"},
        {"<doc><s>abc", 34, "Premature end of file encountered"},
        {"<doc><s><!-- open", 34, "Premature end of file encountered"},
        {"<doc><s><x/></s></doc>", 29, "s"},
    };
    for (const Bad& c : cases) {
        Doc doc;
        std::string err;
        EXPECT_EQ(read(c.bytes, doc, &err), c.code) << c.bytes << " -> " << err;
        EXPECT_NE(err.find("-'" + c.item + "'-" + xmlb::error_message(c.code)), std::string::npos)
            << err;
    }
}

TEST(Markup, MismatchedEndTagCarriesItsLine) {
    Doc doc;
    std::string err;
    EXPECT_EQ(read("<doc>\r\n<s>a</s>\r\n</dock>", doc, &err), 23);
    EXPECT_EQ(err,
              "line:3-'Element start tag (doc) and end tag (dock) do not match'-Not well formed");
}

TEST(Markup, NextLineAndLineSeparatorCountAsLineFeeds) {
    // U+0085 and U+2028 in UTF-8, a CR LF pair and a lone CR: each one line.
    const std::string bytes = "<doc>\xC2\x85\xE2\x80\xA8\r\n\r<s>a\xC2\x85"
                              "b</s><n>x</n></doc>";
    Doc doc;
    std::string err;
    EXPECT_EQ(read(bytes, doc, &err), xmlb::err_invalid_value);
    EXPECT_EQ(err, "line:6-'n'-Invalid value format for this type");
    EXPECT_EQ(doc.s, "a\nb");
}

TEST(Markup, IndentationLinesAndEntitiesOverUtf16) {
    Doc doc;
    std::string err;
    EXPECT_EQ(read("<doc>\n\t<s>a</s>\n\t\n  <n>x</n></doc>", doc, &err), xmlb::err_invalid_value);
    EXPECT_EQ(err, "line:4-'n'-Invalid value format for this type");

    // Replacement text is read as UTF-8 while the document around it stays UTF-16.
    const QString text = QString::fromUtf8("<!DOCTYPE doc [<!ENTITY e \"\xC3\xA9&#x1F600;\">]>"
                                           "<doc><s>[&e;]\xE2\x82\xAC</s></doc>");
    std::string utf16le;
    for (QChar c : text) {
        utf16le.push_back(char(c.unicode() & 0xFF));
        utf16le.push_back(char(c.unicode() >> 8));
    }
    ASSERT_EQ(read(utf16le, doc, &err), 0) << err;
    EXPECT_EQ(doc.s, QString::fromUtf8("[\xC3\xA9\xF0\x9F\x98\x80]\xE2\x82\xAC"));
}

TEST(Markup, NamespacesAndSchemaAttributes) {
    const std::string bytes =
        "<p:doc xmlns:p=\"urn:test\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xsi:noNamespaceSchemaLocation=\"doc.xsd\"><p:s xsi:type=\"xs:string\">v</p:s>"
        "<n xsi:nil=\"true\"/></p:doc>";
    Doc doc;
    std::string err;
    ASSERT_EQ(read(bytes, doc, &err), 0) << err;
    EXPECT_EQ(doc.s, "v");
    EXPECT_TRUE(doc.n.has_value()); // nilled: present, default value
}

TEST(Markup, ReaderTokensAndNameTables) {
    const std::string bytes = "<root xmlns=\"urn:d\" a=\"1\" type=\"t\"><x/><y>v</y></root>";
    xmlb::c_read_memory source(bytes.data(), bytes.data() + bytes.size());
    xmlb::c_xml_reader r(source);
    const xmlb::name_row table[] = {{xmlb::item_kind::element, "root", 20},
                                    {xmlb::item_kind::element, "y", 21},
                                    {xmlb::item_kind::attribute, "a", 22},
                                    {xmlb::item_kind::element, nullptr, 0}};
    ASSERT_EQ(r.next_item(table, true), 20);
    EXPECT_EQ(r.namespace_uri(""), "urn:d");
    EXPECT_EQ(r.next_attribute(table), 22);
    EXPECT_EQ(r.attr_value(), "1");
    EXPECT_EQ(r.next_attribute(table), xmlb::tok_xsi_type);
    EXPECT_EQ(r.next_attribute(table), xmlb::tok_end);
    EXPECT_EQ(r.next_item(table), xmlb::tok_unknown);
    EXPECT_TRUE(r.is_empty());
    EXPECT_EQ(r.next_item(table), 21);
    std::string value;
    bool empty = true;
    EXPECT_EQ(r.read_value(value, xmlb::whitespace::preserve, empty), 0);
    EXPECT_EQ(value, "v");
    EXPECT_FALSE(empty);
    EXPECT_EQ(r.next_item(table), xmlb::tok_end);
    EXPECT_EQ(r.finish(), 0);
}

// A hook that forgives missing mandatory elements and counts what it saw.
class ForgivingReader : public xmlb::c_xml_reader {
public:
    using c_xml_reader::c_xml_reader;
    int error_hook(int code, const char* item, const char* file, int line) override {
        seen.push_back(std::to_string(code) + ":" + item);
        if (code == xmlb::err_mandatory_missing)
            return 0;
        return default_error_hook(code, item, file, line);
    }
    std::vector<std::string> seen;
};

TEST(Markup, ErrorHookDecidesWhichCodeStands) {
    const std::string bytes = "<doc></doc>";
    xmlb::c_read_memory source(bytes.data(), bytes.data() + bytes.size());
    ForgivingReader r(source);
    Doc doc;
    EXPECT_EQ(xmlb::read_document(r, doc), 0);
    EXPECT_EQ(r.seen, std::vector<std::string>{"21:s"});
    EXPECT_EQ(r.error_text(), "No Error");
}

} // namespace
