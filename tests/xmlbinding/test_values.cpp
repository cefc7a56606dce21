#include "test_types.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace testbind;

namespace {

struct IntCase {
    const char* text;
    int code;
    int value;
};

TEST(Values, IntegerBoundsComparedAsDecimalsOfAnyLength) {
    const IntCase cases[] = {
        {"12", 0, 12},
        {" 12\n", 0, 12},
        {"2147483647", 0, 2147483647},
        {"-2147483648", 0, -2147483647 - 1},
        {"+0002147483647", 0, 2147483647},
        {"-0002147483648", 0, -2147483647 - 1},
        {"-0", 0, 0},
        {"+000", 0, 0},
        {"2147483648", 36, 0},
        {"-2147483649", 37, 0},
        {"99999999999999999999999999999999999999999", 36, 0},
        {"-99999999999999999999999999999999999999999", 37, 0},
        {"00000000000000000000000000000000000000042", 0, 42},
        {"4294967296", 36, 0}, // wraps to 0 in 32 bits
        {"", 35, 0},
        {"+", 35, 0},
        {"1 2", 35, 0},
        {"0x10", 35, 0},
        {"1.0", 35, 0},
        {"--1", 35, 0},
    };
    for (const IntCase& c : cases) {
        Doc doc;
        std::string err;
        EXPECT_EQ(read(std::string("<doc><s/><n>") + c.text + "</n></doc>", doc, &err), c.code)
            << c.text << " -> " << err;
        if (c.code == 0)
            EXPECT_EQ(doc.n.value_or(-1), c.value) << c.text;
        else
            EXPECT_EQ(err, std::string("line:1-'n'-") + xmlb::error_message(c.code));
    }
}

TEST(Values, WiderAndUnsignedIntegers) {
    long long ll = 0;
    EXPECT_EQ(xmlb::parse_integer<long long>("-9223372036854775808", ll), 0);
    EXPECT_EQ(ll, std::numeric_limits<long long>::min());
    EXPECT_EQ(xmlb::parse_integer<long long>("9223372036854775808", ll), 36);
    unsigned u = 0;
    EXPECT_EQ(xmlb::parse_integer<unsigned>("-1", u), 37);
    EXPECT_EQ(xmlb::parse_integer<unsigned>("-0", u), 0);
    EXPECT_EQ(xmlb::parse_integer<unsigned>("4294967295", u), 0);
    EXPECT_EQ(u, 4294967295u);
}

TEST(Values, Booleans) {
    const std::pair<const char*, int> cases[] = {{"true", 1}, {"1", 1},      {"false", 0},
                                                 {"0", 0},    {" true ", 1}, {"True", -1},
                                                 {"yes", -1}, {"", -1}};
    for (const auto& [text, expected] : cases) {
        Doc doc;
        const int rc = read(std::string("<doc><s/><b>") + text + "</b></doc>", doc);
        if (expected < 0) {
            EXPECT_EQ(rc, xmlb::err_invalid_value) << text;
        } else {
            ASSERT_EQ(rc, 0) << text;
            EXPECT_EQ(*doc.b, expected == 1) << text;
        }
    }
}

TEST(Values, FloatForms) {
    EXPECT_EQ(xmlb::format_float(std::nanf("")), "NaN");
    EXPECT_EQ(xmlb::format_float(-INFINITY), "-INF");
    EXPECT_EQ(xmlb::format_float(INFINITY), "INF");
    EXPECT_EQ(xmlb::format_float(0.0f), "0.0");
    EXPECT_EQ(xmlb::format_float(-0.0f), "-0.0");
    EXPECT_EQ(xmlb::format_float(1.5f), "1.5");
    EXPECT_EQ(xmlb::format_float(3.14159265f), "3.141593");
    EXPECT_EQ(xmlb::format_float(1234567890.0f), "1.234568e+09");
    EXPECT_EQ(xmlb::format_double(0.1), "0.10000000000000001");

    const std::pair<const char*, double> parsed[] = {
        {"1.5", 1.5}, {"-INF", -INFINITY}, {"INF", INFINITY}, {"+2e3", 2000},
        {".5", 0.5},  {"1e999", INFINITY}, {"-1e-999", -0.0}};
    for (const auto& [text, value] : parsed) {
        double d = 0;
        ASSERT_EQ(xmlb::parse_double(text, d), 0) << text;
        EXPECT_EQ(d, value) << text;
    }
    double d;
    EXPECT_EQ(xmlb::parse_double("NaN", d), 0);
    EXPECT_TRUE(std::isnan(d));
    for (const char* bad : {"", "inf", "1e", "1.2.3", "e5", "0x1p3", " 1"})
        EXPECT_EQ(xmlb::parse_double(bad, d), xmlb::err_invalid_value) << bad;
}

TEST(Values, DateTimeAndDurationPatterns) {
    xmlb::date_time dt;
    ASSERT_EQ(xmlb::parse_date_time("2024-02-29T23:59:60Z", xmlb::dt_kind::date_time, dt), 35);
    ASSERT_EQ(xmlb::parse_date_time("2024-02-29T24:00:00.000+14:00", xmlb::dt_kind::date_time, dt),
              0);
    EXPECT_EQ(dt.hour, 24);
    EXPECT_EQ(dt.timezone_minutes, 14 * 60);
    EXPECT_EQ(xmlb::parse_date_time("2023-02-29", xmlb::dt_kind::date, dt), 35);
    EXPECT_EQ(xmlb::parse_date_time("0000-01-01", xmlb::dt_kind::date, dt), 35);
    EXPECT_EQ(xmlb::parse_date_time("--02-29", xmlb::dt_kind::g_month_day, dt), 0);
    EXPECT_EQ(xmlb::parse_date_time("---31Z", xmlb::dt_kind::g_day, dt), 0);
    EXPECT_EQ(xmlb::parse_date_time("12:30:00-05:30", xmlb::dt_kind::time, dt), 0);
    EXPECT_EQ(xmlb::format_date_time(dt, xmlb::dt_kind::time), "12:30:00-05:30");
    ASSERT_EQ(xmlb::parse_date_time("-12345-06-07T01:02:03.25", xmlb::dt_kind::date_time, dt), 0);
    EXPECT_EQ(xmlb::format_date_time(dt, xmlb::dt_kind::date_time), "-12345-06-07T01:02:03.25");

    xmlb::duration du;
    ASSERT_EQ(xmlb::parse_duration("-P1Y2M3DT4H5M6.5S", du), 0);
    EXPECT_EQ(xmlb::format_duration(du), "-P1Y2M3DT4H5M6.5S");
    ASSERT_EQ(xmlb::parse_duration("PT36H", du), 0);
    EXPECT_EQ(du.hours, 36);
    for (const char* bad : {"P", "PT", "P1H", "PT1D", "P1M1Y", "P1.5Y", "1Y", "P-1D"})
        EXPECT_EQ(xmlb::parse_duration(bad, du), 35) << bad;
}

TEST(Values, FacetsAndTypedFieldsInADocument) {
    Dates d;
    std::string err;
    ASSERT_EQ(read("<dates><at>2026-12-07T08:00:00Z</at><span>P1D</span><code>red</code></dates>",
                   d, &err),
              0)
        << err;
    EXPECT_EQ(d.at.year, 2026);
    EXPECT_EQ(d.span.days, 1);
    EXPECT_EQ(read("<dates><at>2026-12-07T08:00:00Z</at><span>P1D</span><code>blue</code></dates>",
                   d, &err),
              38);
    EXPECT_EQ(err, "line:1-'code'-Value does not match enumerations");
    EXPECT_EQ(
        read("<dates><at>2026-12-07T08:00:00Z</at><span>P1D</span><code>greenish</code></dates>", d,
             &err),
        19);
    EXPECT_EQ(read("<dates><at>yesterday</at><span>P1D</span><code>red</code></dates>", d, &err),
              35);

    xmlb::facets f;
    f.total_digits = 4;
    f.fraction_digits = 2;
    f.min_inclusive = "-10.5";
    f.max_exclusive = "100";
    f.pattern = "[0-9.\\-]+";
    EXPECT_EQ(xmlb::check_facets("99.99", f), 0);
    EXPECT_EQ(xmlb::check_facets("100", f), 36);
    EXPECT_EQ(xmlb::check_facets("123.45", f), 27);
    EXPECT_EQ(xmlb::check_facets("-10.51", f), 37);
    EXPECT_EQ(xmlb::check_facets("-10.6", f), 37);
    EXPECT_EQ(xmlb::check_facets("1.234", f), 18);
    EXPECT_EQ(xmlb::check_facets("0.125", f), 18);
    EXPECT_EQ(xmlb::check_facets("1e1", f), 22);
    f = {};
    f.pattern = "[a-z]+";
    f.min_length = 2;
    EXPECT_EQ(xmlb::check_facets("a", f), 20);
    EXPECT_EQ(xmlb::check_facets("A1", f), 22);
}

TEST(Values, CompositorsAndOccurrences) {
    Pick p;
    std::string err;
    EXPECT_EQ(read("<pick><b>3</b></pick>", p, &err), 0) << err;
    EXPECT_EQ(p.b.value_or(0), 3);
    EXPECT_EQ(read("<pick><c/></pick>", p, &err), 7);
    EXPECT_EQ(read("<pick></pick>", p, &err), 7);
    EXPECT_EQ(read("<pick><a/><b>1</b></pick>", p, &err), 10);

    Any a;
    EXPECT_EQ(read("<any><b>2</b><a>1</a></any>", a, &err), 0) << err;
    EXPECT_EQ(a.a, "1");
    EXPECT_EQ(read("<any><a>1</a><a>1</a></any>", a, &err), 2);
    EXPECT_EQ(read("<any><c/></any>", a, &err), 30);
    EXPECT_EQ(read("<any><b/></any>", a, &err), 21);

    Doc doc;
    const std::string four =
        "<doc><s/><entry id='1'/><entry id='2'/><entry id='3'/><entry id='4'/></doc>";
    EXPECT_EQ(read(four, doc, &err), 26);
    EXPECT_EQ(err, "line:1-'entry'-Element instances exceeds maxOccurs");
    EXPECT_EQ(read("<doc><s/><zzz/></doc>", doc, &err), 31);
    EXPECT_EQ(read("<doc><s/><entry/></doc>", doc, &err), 25);
    EXPECT_EQ(read("<doc><s/><entry id='x'/></doc>", doc, &err), 35);
    EXPECT_EQ(read("<doc><s/><n xsi:nil='true'>5</n></doc>", doc, &err), 40);
}

TEST(Values, SelfNestingTypesStopAtTheDepthLimit) {
    auto nested = [](std::size_t depth) {
        std::string s;
        for (std::size_t i = 0; i < depth; ++i)
            s += "<node>";
        for (std::size_t i = 0; i < depth; ++i)
            s += "</node>";
        return s;
    };
    Node n;
    std::string err;
    EXPECT_EQ(read(nested(xmlb::max_element_depth), n, &err), 0) << err;
    EXPECT_EQ(read(nested(100000), n, &err), xmlb::err_not_well_formed);
    EXPECT_EQ(err, "line:1-'Elements nested too deeply'-Not well formed");
}

} // namespace
