// A fresh archive file in a scratch folder, for the database tests.
#pragma once

#include "db/ado_database.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <string>

class ArchiveTest : public ::testing::Test {
protected:
    ArchiveTest() : path_(folder_ / "archive.mdb"), connection_(ArchiveConnectionString(path_)) {
        EXPECT_TRUE(CreateArchiveDatabase(connection_));
    }

    // An open connection to the archive.
    void OpenDatabase(CADODatabase& database) {
        database.SetConnection(connection_);
        ASSERT_TRUE(database.Open());
    }

    // A mailbox table with `rows` rows whose id is 1..rows and message "text <id>".
    void MakeMailbox(const std::string& table, int rows) {
        ASSERT_TRUE(CreateMailboxTable(connection_, table, "C:\\mail\\" + table + ".mbx"));
        CADODatabase database;
        OpenDatabase(database);
        CADORecordset recordset(database);
        ASSERT_TRUE(recordset.Open(table, CADORecordset::OpenTable));
        database.BeginTrans();
        for (int id = 1; id <= rows; ++id) {
            WriteRow(recordset, id, "text " + std::to_string(id));
        }
        database.CommitTrans();
    }

    // One row as the archive task writes it.
    static void WriteRow(CADORecordset& recordset, int id, const std::string& message) {
        ASSERT_TRUE(recordset.AddNew());
        recordset.BeginEdit();
        recordset.WriteField("id", id);
        recordset.WriteField("S", 1);
        recordset.WriteField("P", std::string("Normal"));
        recordset.WriteField("From", std::string("a@example.com"));
        recordset.WriteField("Date", std::string("Mon, 5 Feb 2007 10:00:00"));
        recordset.WriteField("Size", static_cast<int>(message.size() / 1000));
        recordset.WriteField("Subject", std::string("Subject ") + std::to_string(id));
        recordset.WriteField("To", std::string("b@example.com"));
        recordset.WriteField("message", message);
        ASSERT_TRUE(recordset.Update());
    }

    TempFolder folder_;
    std::string path_;
    std::string connection_;
};
