// The small pieces every archived byte passes through: connection strings,
// the ANSI/UTF-8 border, the field getters' conversions and the SQL the
// layer reads itself.
#include "base/ansi_text.h"
#include "db/connection_string.h"
#include "db/field_conversion.h"
#include "db/sql_text.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(ConnectionString, KeysIgnoreCaseAndBlanks) {
    const std::string text = " provider = Microsoft.JET.OLEDB.4.0 ;DATA SOURCE= C:\\a b\\x.mdb ;";
    EXPECT_EQ("Microsoft.JET.OLEDB.4.0", ConnectionStringValue(text, "Provider"));
    EXPECT_EQ("C:\\a b\\x.mdb", ConnectionStringValue(text, "Data Source"));
    EXPECT_EQ("", ConnectionStringValue(text, "Password"));
    EXPECT_EQ("C:\\q.mdb", ConnectionStringValue("Data Source='C:\\q.mdb'", "data source"));
    // A value may itself hold "=".
    EXPECT_EQ("a=b", ConnectionStringValue("Key=a=b", "Key"));
}

TEST(AnsiText, EveryByteSurvivesTheRoundTrip) {
    const std::string all = EveryByteButZero();
    const std::string utf8 = AnsiToUtf8(all);
    EXPECT_EQ(all, Utf8ToAnsi(utf8));
    // Stored text is real UTF-8, readable by other tools (code page 1252 here).
    EXPECT_EQ("caf\xC3\xA9 \xE2\x82\xAC", AnsiToUtf8("caf\xE9 \x80"));
    EXPECT_EQ("", AnsiToUtf8(""));
    // A character the code page lacks is shown as lost, not as a look-alike.
    EXPECT_EQ("?", Utf8ToAnsi("\xE2\x88\x9E"));
}

TEST(FieldConversion, TextGetterByValueType) {
    std::string text = "stale";
    EXPECT_TRUE(FieldValueToText(FieldValue::Null(), "", text));
    EXPECT_EQ("", text);
    EXPECT_TRUE(FieldValueToText(FieldValue::Integer(-70000), "", text));
    EXPECT_EQ("-70000", text);
    EXPECT_TRUE(FieldValueToText(FieldValue::Boolean(true), "", text));
    EXPECT_EQ("T", text);
    EXPECT_TRUE(FieldValueToText(FieldValue::Boolean(false), "", text));
    EXPECT_EQ("F", text);

    FieldValue number;
    number.kind = ValueKind::Single;
    number.number = 0.25;
    EXPECT_TRUE(FieldValueToText(number, "", text));
    EXPECT_EQ("0.25", text);
    number.kind = ValueKind::Double;
    number.number = 0.1;
    EXPECT_TRUE(FieldValueToText(number, "", text));
    EXPECT_EQ("0.10000000000000000555", text);

    FieldValue date;
    date.kind = ValueKind::Date;
    date.text = "2007-02-05 09:04:03";
    EXPECT_TRUE(FieldValueToText(date, "", text));
    EXPECT_EQ("2007-02-05 09:04:03", text);
    EXPECT_TRUE(FieldValueToText(date, "%d/%m/%Y", text));
    EXPECT_EQ("05/02/2007", text);

    FieldValue bytes;
    bytes.kind = ValueKind::Binary;
    bytes.text = "\x01\x02";
    EXPECT_FALSE(FieldValueToText(bytes, "", text));
    EXPECT_EQ("", text);
}

TEST(FieldConversion, IntegerGetterByValueType) {
    EXPECT_EQ(0, FieldValueToInt(FieldValue::Null()));
    EXPECT_EQ(70000, FieldValueToInt(FieldValue::Integer(70000)));
    EXPECT_EQ(-2147483647 - 1, FieldValueToInt(FieldValue::Integer(-2147483647LL - 1)));
    EXPECT_EQ(-1, FieldValueToInt(FieldValue::Boolean(true)));
    EXPECT_EQ(0, FieldValueToInt(FieldValue::Boolean(false)));
}

TEST(SqlText, IdentifiersStayWholeWhateverTheyHold) {
    EXPECT_EQ("\"a\"\"b\"", QuoteIdentifier("a\"b"));
    std::string::size_type pos = 0;
    std::string name;
    ASSERT_TRUE(ReadIdentifier("  [Bob's; x] rest", pos, name));
    EXPECT_EQ("Bob's; x", name);
    EXPECT_EQ(" rest", std::string("  [Bob's; x] rest").substr(pos));
}

TEST(SqlText, RecognisesTheProgramsStatements) {
    std::string table, rest, normalized;
    ASSERT_TRUE(ParseSelectAllFrom("select  *  FROM [Work (old)] WHERE id = 3", table, rest));
    EXPECT_EQ("Work (old)", table);
    EXPECT_EQ(" WHERE id = 3", rest);
    EXPECT_FALSE(ParseSelectAllFrom("SELECT id FROM t", table, rest));
    EXPECT_FALSE(ParseSelectAllFrom("SELECT * FROM t, u", table, rest));

    ASSERT_TRUE(ParseDelete("DELETE * FROM [a;b] WHERE id = 5", normalized, table, rest));
    EXPECT_EQ("DELETE FROM \"a;b\" WHERE id = 5", normalized);
    EXPECT_EQ("a;b", table);
    ASSERT_TRUE(ParseDelete("delete from t", normalized, table, rest));
    EXPECT_EQ("DELETE FROM \"t\"", normalized);
    EXPECT_FALSE(ParseDelete("DELETED FROM t", normalized, table, rest));

    EXPECT_TRUE(HasOrderBy(" WHERE x = 1 ORDER  BY id DESC"));
    EXPECT_FALSE(HasOrderBy(" WHERE border = 1"));
}

} // namespace
