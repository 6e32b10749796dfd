// Writes a small archive the way the program does, for check-sqlite-cli.sh
// to read with the native sqlite3 tool.
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "db/mailbox_table_name.h"

#include "base/stowlark_app.h"

#include <cstdio>

int main(int argc, char** argv) {
    App().InitInstance();
    if (argc != 2) {
        std::fprintf(stderr, "usage: db_sample_archive <archive path>\n");
        return 2;
    }
    const std::string connection = ArchiveConnectionString(argv[1]);
    const std::string table = TableNameFromMailboxName("Caf\xE9 (old)");
    try {
        if (!CreateArchiveDatabase(connection) ||
            !CreateMailboxTable(connection, table, "C:\\Eudora\\Caf\xE9 (old).mbx")) {
            std::fprintf(stderr, "could not create the archive\n");
            return 1;
        }
        CADODatabase database;
        database.Open(connection);
        CADORecordset rows(database);
        rows.Open(table, CADORecordset::OpenTable);
        database.BeginTrans();
        rows.AddNew();
        rows.BeginEdit();
        rows.WriteField("id", 70000);
        rows.WriteField("S", 1);
        rows.WriteField("P", std::string("Normal"));
        rows.WriteField("From", std::string("Ren\xE9 <rene@example.com>"));
        rows.WriteField("Date", std::string("Mon, 5 Feb 2007 10:00:00 +0100"));
        rows.WriteField("Size", 0);
        rows.WriteField("Subject", std::string("Gr\xFC\xDF"
                                               "e \x80 5"));
        rows.WriteField("To", std::string("Zo\xEB <zoe@example.com>"));
        rows.WriteField("message", std::string("Subject: Gr\xFC\xDF"
                                               "e\r\n\r\nCaf\xE9 au lait."));
        rows.Update();
        database.CommitTrans();
    } catch (const CADOException& error) {
        std::fprintf(stderr, "database error: %s\n", error.GetErrorMessage().c_str());
        return 1;
    }
    return 0;
}
