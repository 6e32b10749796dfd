// The catalog: making files and tables, column properties, and the table list.
#include "archive_fixture.h"

#include "db/ado_constants.h"
#include "db/adox_catalog.h"
#include "db/adox_field.h"
#include "db/adox_table.h"

#include "base/file_utils.h"

namespace {

using CatalogTest = ArchiveTest;

std::vector<std::string> TableNames(CADOXCatalog& catalog) {
    std::vector<std::string> names;
    for (long i = 0; i < catalog.TableCount(); ++i) {
        std::string name;
        catalog.TableNameAt(i, name);
        names.push_back(name);
    }
    return names;
}

TEST_F(CatalogTest, MakesANewFileOnlyWhereThereIsNone) {
    CADOXCatalog catalog;
    EXPECT_FALSE(catalog.MakeDatabase(connection_)) << "the fixture made it already";
    const std::string fresh = folder_ / "fresh.mdb";
    EXPECT_TRUE(catalog.MakeDatabase(ArchiveConnectionString(fresh)));
    EXPECT_TRUE(FileExists(fresh));
    EXPECT_EQ(0, catalog.TableCount()) << "the property table is not listed";

    CADOXCatalog missing;
    EXPECT_FALSE(missing.Open(ArchiveConnectionString(folder_ / "none.mdb")));
    EXPECT_FALSE(FileExists(folder_ / "none.mdb"));
    EXPECT_THROW(missing.TableCount(), CADOException) << "no connection after a failed Open";
}

TEST_F(CatalogTest, PropertiesSetBeforeAppendArePersisted) {
    CADOXCatalog catalog;
    ASSERT_TRUE(catalog.Open(connection_));
    CADOXTable table(catalog);
    ASSERT_TRUE(table.Define("Notes"));
    ASSERT_TRUE(table.AppendColumn("id", adInteger, 0));
    ASSERT_TRUE(table.AppendColumn("body", adLongVarWChar, 0));
    EXPECT_FALSE(table.AppendColumn("body", adLongVarWChar, 0)) << "duplicate column";
    EXPECT_FALSE(table.AppendColumn("odd", 9999, 0)) << "unknown type";
    EXPECT_TRUE(CADOXField(table, "body").AllowEmptyText(true));
    EXPECT_TRUE(CADOXField(table, "ID").SetColumnDescription("C:\\Eudora\\Caf\xE9.mbx"));
    EXPECT_FALSE(CADOXField(table, "missing").SetColumnDescription("x"));
    ASSERT_TRUE(catalog.AppendTable(table));
    EXPECT_EQ(std::vector<std::string>{"Notes"}, TableNames(catalog));

    CADODatabase database;
    OpenDatabase(database);
    CADORecordset columns(database);
    ASSERT_TRUE(columns.OpenSchema(adSchemaColumns));
    std::string description;
    columns.ReadField("DESCRIPTION", description);
    EXPECT_EQ("C:\\Eudora\\Caf\xE9.mbx", description);
}

TEST_F(CatalogTest, AppendingATakenNameFailsAndChangesNothing) {
    MakeMailbox("Mailbox_In", 2);
    MessageBoxCapture boxes;
    CADOXCatalog catalog;
    ASSERT_TRUE(catalog.Open(connection_));
    CADOXTable table(catalog);
    ASSERT_TRUE(table.Define("mailbox_in")); // names ignore case, as in Jet
    ASSERT_TRUE(table.AppendColumn("x", adInteger, 0));
    ASSERT_TRUE(CADOXField(table, "x").SetColumnDescription("stolen"));
    EXPECT_FALSE(catalog.AppendTable(table));
    EXPECT_TRUE(boxes.boxes().empty());

    CADODatabase database;
    OpenDatabase(database);
    EXPECT_EQ(2, CountArchiveRows(database, "Mailbox_In"));
    EXPECT_EQ("C:\\mail\\Mailbox_In.mbx", MailboxPathOfTable(database, "Mailbox_In"));
}

TEST_F(CatalogTest, TableListIsSortedAndIndexChecked) {
    CADODatabase database;
    OpenDatabase(database);
    database.Execute("CREATE TABLE b (x INTEGER)");
    database.Execute("CREATE TABLE A (x INTEGER)");
    CADOXCatalog catalog;
    ASSERT_TRUE(catalog.Open(connection_));
    EXPECT_EQ(std::vector<std::string>({"A", "b"}), TableNames(catalog));
    std::string name;
    EXPECT_THROW(catalog.TableNameAt(2, name), CADOException);
    EXPECT_THROW(catalog.TableNameAt(-1, name), CADOException);
}

TEST_F(CatalogTest, ExistingTablesCanBeTakenAndExtended) {
    MakeMailbox("Mailbox_In", 1);
    CADOXCatalog catalog;
    ASSERT_TRUE(catalog.Open(connection_));
    CADOXTable table(catalog, "Mailbox_In");
    EXPECT_EQ("Mailbox_In", table.GetName());
    EXPECT_TRUE(table.AppendColumn("extra", adInteger, 0));
    EXPECT_TRUE(CADOXField(table, "message").SetColumnDescription("body"));
    EXPECT_FALSE(catalog.AppendTable(table)) << "already in the file";

    CADOXTable none(catalog, "Nope");
    EXPECT_EQ("", none.GetName());
}

} // namespace
