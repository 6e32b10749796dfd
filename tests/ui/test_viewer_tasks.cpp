// The viewer list's menu and its tasks: the selected messages saved to a
// file, or restored into their mailboxes.
#include "db/attachment_store.h"
#include "db/write_transaction.h"
#include "base/file_utils.h"
#include "testhost/mailstore/mailbox_file.h"
#include "tests/ui/viewer_fixture.h"

#include <gmock/gmock.h>

namespace {

// A file kept for one message: the preview lists it, on disk or only in the
// archive, and "Save Attachments..." writes it under a name of its own.
TEST_F(ArchiveViewerTest, KeptFilesShowUnderTheirMessageAndSaveUnderNamesOfTheirOwn) {
    const std::string original = files / "plan.pdf";
    const std::string bytes(70000, 'p');
    ASSERT_TRUE(WriteWholeFile(original, bytes));
    CArchiveViewer& window = OpenViewer();
    Select({1});
    const ViewerRow& row = *window.RowAt(1);
    {
        CADODatabase database;
        ASSERT_TRUE(database.Open(ArchiveConnectionString(DatabasePath())));
        WriteTransaction transaction(database);
        std::string reason;
        ASSERT_EQ(AttachmentStore::Keep::kKept,
                  AttachmentStore(database).KeepFile(table_, *row.rowid(), original, reason));
        transaction.Commit();
    }
    Select({0});
    Select({1});
    EXPECT_THAT(Page(), ::testing::HasSubstr("<div>plan.pdf (70,000 bytes, on disk)</div>"));
    ASSERT_TRUE(::DeleteFileA(original.c_str()));
    Select({0});
    EXPECT_EQ(std::string::npos, Page().find("Attachments:"));
    Select({1});
    EXPECT_THAT(Page(), ::testing::HasSubstr("plan.pdf (70,000 bytes, only in the archive)"));

    const std::string folder = files / "Saved";
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_EQ(1, window.SaveAttachmentsTo(folder));
    EXPECT_EQ(1, window.SaveAttachmentsTo(folder));
    EXPECT_EQ(bytes, ReadBytes(folder + "\\plan.pdf"));
    EXPECT_EQ(bytes, ReadBytes(folder + "\\plan (2).pdf"));
    EXPECT_TRUE(boxes.boxes().empty());
    Select({0});
    EXPECT_EQ(0, window.SaveAttachmentsTo(folder));
    EXPECT_EQ(1u, boxes.boxes().size());
}

TEST_F(ArchiveViewerTest, SelectedMessagesSaveAsAMailboxTheHostReadsOrAsOneMessage) {
    CArchiveViewer& window = OpenViewer();
    Select({0, 1, 2, 3});
    const std::string mailbox = files / "Saved.mbx";
    ASSERT_TRUE(window.SaveSelected(mailbox, true));
    MailboxFile saved(mailbox);
    saved.Load();
    ASSERT_EQ(4u, saved.Count());
    for (int row = 0; row < 4; ++row) {
        const auto stored =
            std::find_if(std::begin(kRows), std::end(kRows), [&](const StoredRow& r) {
                return r.subject == window.RowAt(row)->subject();
            });
        EXPECT_EQ(stored->message, saved.RawText(static_cast<size_t>(row)));
        EXPECT_EQ(stored->status, saved.Entry(static_cast<size_t>(row)).status);
    }

    Select({1});
    const std::string single = files / "One.eml";
    ASSERT_TRUE(window.SaveSelected(single, false));
    const auto stored = std::find_if(std::begin(kRows), std::end(kRows), [&](const StoredRow& r) {
        return r.subject == window.RowAt(1)->subject();
    });
    EXPECT_EQ(stored->message, ReadBytes(single));

    // A place that cannot be written: one box, and nothing left there.
    const std::string nowhere = files / "No such folder\\Saved.mbx";
    EXPECT_FALSE(window.SaveSelected(nowhere, true));
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_THAT(boxes.boxes()[0].text, ::testing::HasSubstr("could not be saved to " + nowhere));
    // A name taken by a folder: written in full beside it, then refused.
    ::CreateDirectoryA((files / "Taken.mbx").c_str(), nullptr);
    EXPECT_FALSE(window.SaveSelected(files / "Taken.mbx", true));
    WIN32_FIND_DATAA found;
    UniqueFind leftovers(::FindFirstFileA((files / "*.tmp").c_str(), &found));
    EXPECT_FALSE(leftovers) << found.cFileName;
}

TEST_F(ArchiveViewerTest, ItsListMenuRestoresJustTheSelectedMessages) {
    host.Start();
    CArchiveViewer& window = OpenViewer();
    int menus = 0;
    {
        const LaterOnThisThread look(200, [&] {
            menus += ::FindWindowA("#32768", nullptr) != nullptr;
            ::EndMenu();
        });
        PressKey(window.list().hwnd(), VK_F10, false, true, true);
        PumpUntil([&] { return look.ran(); });
    }
    EXPECT_EQ(1, menus);

    // Nothing selected: nothing to do.
    ::SendMessageA(window.hwnd(), WM_COMMAND, ID_VIEWER_RESTORE, 0);
    EXPECT_FALSE(FileExists(host.MailboxPath("Pending.mbx")));

    Select({0, 2});
    const std::vector<std::string> chosen = {window.RowAt(0)->subject(),
                                             window.RowAt(2)->subject()};
    const std::vector<std::string> kept = {window.RowAt(1)->subject(), window.RowAt(3)->subject()};
    ::SendMessageA(window.hwnd(), WM_COMMAND, ID_VIEWER_RESTORE_REMOVE, 0);
    PumpWaitingMessages();

    EXPECT_FALSE(window.taskRunning());
    EXPECT_EQ("Work", WindowText(window.hwnd()));
    ASSERT_EQ(2, window.list().ItemCount());
    EXPECT_THAT((std::vector<std::string>{window.RowAt(0)->subject(), window.RowAt(1)->subject()}),
                ::testing::UnorderedElementsAreArray(kept));
    std::vector<std::string> home;
    const MailboxFile& in = host.session().store().Mailbox(host.MailboxPath("In.mbx"));
    for (size_t i = 0; i < in.Count(); ++i) {
        for (const StoredRow& row : kRows) {
            if (in.RawText(i) == row.message) {
                home.push_back(row.subject);
                EXPECT_EQ(row.status, in.Entry(i).status) << row.subject;
            }
        }
    }
    EXPECT_THAT(home, ::testing::UnorderedElementsAreArray(chosen));
    EXPECT_TRUE(boxes.boxes().empty());
}

} // namespace
