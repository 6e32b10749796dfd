#include "tests/engine/engine_fixture.h"

#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "host/host_application.h"
#include "base/stowlark_app.h"
#include "mailbox/header_value.h"
#include "testhost/mailstore/mailbox_file.h"

EngineTest::EngineTest() : logPath(files / "stowlark.log") {
    const std::string connection = ArchiveConnectionString(files / "archive.mdb");
    EXPECT_TRUE(CreateArchiveDatabase(connection));
    database.SetConnection(connection);
    staging.mbxPath = host.MailboxPath("Pending.mbx");
    staging.tocPath = host.MailboxPath("Pending.toc");
    // The tasks find the host's attachment folders and the settings where
    // the plug-in would.
    PluginContext& context = App().Context();
    context.hostDataDir = host.dataDir();
    context.settingsPath = files / "stowlark.ini";
}

EngineTest::~EngineTest() {
    database.Close();
}

void EngineTest::Start() {
    host.Start();
    ASSERT_TRUE(database.Open());
}

MailboxSelection EngineTest::Selection(const std::string& name) {
    const HostFolder mailbox = HostApplication::Connect().FolderByName(name);
    return MailboxSelection{mailbox.Path(), mailbox.Name(), mailbox.Id()};
}

int EngineTest::Archive(const std::vector<std::string>& mailboxes, bool deleteArchived) {
    std::vector<MailboxSelection> selected;
    for (const std::string& name : mailboxes) {
        selected.push_back(Selection(name));
    }
    ArchiveTask task(database, logPath, controls);
    return task.run(selected, filter, deleteArchived);
}

int EngineTest::Restore(const std::vector<std::string>& tables, bool deleteRestored) {
    RestoreTask task(database, staging, logPath, controls);
    return task.run(tables, filter, deleteRestored);
}

std::vector<std::string> EngineTest::Messages(const std::string& mailbox) {
    const MailboxFile& file = host.session().store().Mailbox(host.MailboxPath(mailbox + ".mbx"));
    std::vector<std::string> texts;
    for (size_t i = 0; i < file.Count(); ++i) {
        texts.push_back(file.RawText(i));
    }
    return texts;
}

std::vector<int> EngineTest::Statuses(const std::string& mailbox) {
    const MailboxFile& file = host.session().store().Mailbox(host.MailboxPath(mailbox + ".mbx"));
    std::vector<int> statuses;
    for (size_t i = 0; i < file.Count(); ++i) {
        statuses.push_back(file.Entry(i).status);
    }
    return statuses;
}

std::vector<ArchiveRow> EngineTest::Rows(const std::string& table) {
    CADORecordset recordset(database);
    EXPECT_TRUE(recordset.Open(table, CADORecordset::OpenTable));
    std::vector<ArchiveRow> rows;
    for (; !recordset.AtEnd(); recordset.MoveNext()) {
        ArchiveRow row;
        recordset.ReadField("id", row.id);
        recordset.ReadField("S", row.status);
        recordset.ReadField("P", row.priority);
        recordset.ReadField("From", row.from);
        recordset.ReadField("Date", row.date);
        recordset.ReadField("Size", row.size);
        recordset.ReadField("Subject", row.subject);
        recordset.ReadField("To", row.to);
        recordset.ReadField("message", row.message);
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> EngineTest::LogLines() {
    std::vector<std::string> lines;
    SplitAtText(ReadBytes(logPath), "\r\n", lines);
    if (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    return lines;
}

std::vector<std::string> EngineTest::BoxTexts() const {
    std::vector<std::string> texts;
    for (const CapturedMessageBox& box : boxes.boxes()) {
        texts.push_back(box.text);
    }
    return texts;
}
