#include "test_types.h"

#include <gtest/gtest.h>

using namespace testbind;

namespace {

// U+00E9 and U+20AC inside the value; the rest ASCII.
const std::string kUtf8Doc = "<doc><s>caf\xC3\xA9 \xE2\x82\xAC</s></doc>";
const QString kValue = QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC");

std::string utf16(const std::string& utf8, bool little_endian, bool bom) {
    std::string out;
    const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    auto put = [&](char16_t u) {
        const char lo = char(u & 0xFF), hi = char(u >> 8);
        out += little_endian ? std::string{lo, hi} : std::string{hi, lo};
    };
    if (bom)
        put(0xFEFF);
    for (QChar c : text)
        put(c.unicode());
    return out;
}

struct Detection {
    const char* name;
    std::string bytes;
    xmlb::encoding expected;
};

TEST(EncodingDetection, EveryRowOfTheTableReadsTheValue) {
    const Detection rows[] = {
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + kUtf8Doc, xmlb::encoding::utf8},
        {"UTF-8 starting with <", kUtf8Doc, xmlb::encoding::utf8},
        {"UTF-8 starting with a blank", " \n" + kUtf8Doc, xmlb::encoding::utf8},
        {"UTF-16LE with BOM", utf16(kUtf8Doc, true, true), xmlb::encoding::utf16le},
        {"UTF-16LE without BOM", utf16(kUtf8Doc, true, false), xmlb::encoding::utf16le},
        {"UTF-16LE without BOM, blank first", utf16(" " + kUtf8Doc, true, false),
         xmlb::encoding::utf16le},
        {"UTF-16BE with BOM", utf16(kUtf8Doc, false, true), xmlb::encoding::utf16be},
        {"UTF-16BE without BOM", utf16(kUtf8Doc, false, false), xmlb::encoding::utf16be},
        {"UTF-16BE without BOM, blank first", utf16("\t" + kUtf8Doc, false, false),
         xmlb::encoding::utf16be},
    };
    for (const Detection& row : rows) {
        xmlb::c_read_memory source(row.bytes.data(), row.bytes.data() + row.bytes.size());
        xmlb::c_xml_reader reader(source);
        Doc doc;
        EXPECT_EQ(xmlb::read_document(reader, doc), 0) << row.name << ": " << reader.error_text();
        EXPECT_EQ(reader.detected_encoding(), row.expected) << row.name;
        EXPECT_EQ(doc.s, kValue) << row.name;
    }
}

TEST(EncodingDetection, UnrecognisedFirstBytesAreRefusedWithCode6) {
    const std::string refused[] = {
        "a<doc/>",                          // a letter first
        std::string("\x80<doc/>", 7),       // a high byte
        std::string("\xFF\xFE\x00\x00", 4), // FF FE then a zero byte (UTF-32LE)
        std::string("\xFE\xFF<\x00", 4),    // FE FF then a non-zero byte
        std::string("\x00\x00\x00<", 4),    // 00 then neither blank nor <
        std::string("\xEF\xBB<doc/>", 7),   // a truncated UTF-8 BOM
    };
    for (const std::string& bytes : refused) {
        Doc doc;
        std::string err;
        EXPECT_EQ(read(bytes, doc, &err), xmlb::err_encoding_unsupported) << err;
        EXPECT_EQ(err,
                  "line:1-'Unrecognised character encoding'-XML character encoding not supported");
    }
}

struct Declared {
    std::string bytes;
    int code;
    const char* item;
};

std::string declared(const char* name) {
    return std::string("<?xml version=\"1.0\" encoding=\"") + name + "\"?><doc><s>x</s></doc>";
}

TEST(EncodingDetection, DeclaredEncodingIsCheckedAgainstTheBytes) {
    const Declared cases[] = {
        {declared("utf-8"), 0, ""},
        {utf16(declared("UTF-16"), true, false), 0, ""},
        {utf16(declared("UTF-16"), false, true), 0, ""},
        {utf16(declared("ISO-10646-UCS-2"), true, false), 0, ""},
        {utf16(declared("iso-10646-ucs-2"), false, false), 0, ""},
        {declared("ISO-8859-1"), 0, ""},
        {declared("US-ASCII"), 0, ""},
        {declared("UTF-16"), 6, "Specified character encoding does not match byte format"},
        {utf16(declared("UTF-8"), true, true), 6,
         "Specified character encoding does not match byte format"},
        {utf16(declared("ISO-8859-1"), true, false), 6,
         "Specified character encoding does not match byte format"},
        {declared("ISO-10646-UCS-2"), 15, "Mis-match between specfied encoding and byte format"},
        {declared("EBCDIC-US"), 6, "Unknown character encoding specified"},
    };
    for (const Declared& c : cases) {
        Doc doc;
        std::string err;
        EXPECT_EQ(read(c.bytes, doc, &err), c.code) << err;
        if (c.code)
            EXPECT_EQ(err, std::string("line:1-'") + c.item + "'-" + xmlb::error_message(c.code));
        else
            EXPECT_EQ(doc.s, "x");
    }
}

TEST(EncodingDetection, EightBitDeclarationsChangeHowHighBytesRead) {
    Doc doc;
    const std::string latin1 =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><doc><s>caf\xE9</s></doc>";
    ASSERT_EQ(read(latin1, doc), 0);
    EXPECT_EQ(doc.s, QString::fromUtf8("caf\xC3\xA9"));

    // The same byte is not UTF-8, and not ASCII.
    std::string err;
    EXPECT_EQ(read("<doc><s>caf\xE9</s></doc>", doc, &err), xmlb::err_encoding_mismatch);
    const std::string ascii =
        "<?xml version=\"1.0\" encoding=\"US-ASCII\"?><doc><s>caf\xE9</s></doc>";
    EXPECT_EQ(read(ascii, doc, &err), xmlb::err_encoding_mismatch);
}

TEST(EncodingDetection, Ucs2RefusesSurrogatesThatUtf16Combines) {
    const std::string utf8 = "<doc><s>\xF0\x9F\x98\x80</s></doc>";
    Doc doc;
    ASSERT_EQ(read(utf16(utf8, true, true), doc), 0);
    EXPECT_EQ(doc.s, QString::fromUcs4(U"\U0001F600"));
    const std::string ucs2 =
        utf16("<?xml version=\"1.0\" encoding=\"ISO-10646-UCS-2\"?>" + utf8, true, false);
    EXPECT_EQ(read(ucs2, doc), xmlb::err_encoding_mismatch);
}

TEST(EncodingDetection, MalformedUtf8IsRefused) {
    const std::string bad[] = {
        "<doc><s>\xC3</s></doc>",             // truncated sequence
        "<doc><s>\xC0\xAF</s></doc>",         // overlong
        "<doc><s>\xED\xA0\x80</s></doc>",     // encoded surrogate
        "<doc><s>\xF4\x90\x80\x80</s></doc>", // above U+10FFFF
    };
    for (const std::string& bytes : bad) {
        Doc doc;
        EXPECT_EQ(read(bytes, doc), xmlb::err_encoding_mismatch) << bytes;
    }
}

} // namespace
