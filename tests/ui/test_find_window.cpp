// Find in every archive: the main dialog's Find window over the archive's
// full-text index, and the viewer's Find reading the same index.
#include "db/archive_schema.h"
#include "db/index_schema.h"
#include "engine/archive_index.h"
#include "engine/archive_task.h"
#include "host/host_application.h"
#include "testhost/mailstore/mailbox_file.h"
#include "tests/ui/viewer_fixture.h"

#include <gmock/gmock.h>

namespace {

class QuietControls : public TaskControls {
    void SetProgress(int) override {}
    bool StopRequested() override { return false; }
    void EnableStop(bool) override {}
    void ReloadLog() override {}
};

class FindWindowTest : public DialogTest {
protected:
    // Work and In archived, three messages holding "budget" across both,
    // each on a day of its own.
    void ArchiveMail() {
        host.AddMessage("Work", MakeMessage("ann@example.com", "Quarterly budget",
                                            "Mon, 4 Dec 2006 10:00:00 +0000", "Figures\r\n"));
        host.AddMessage("Work",
                        MakeMessage("bob@example.com", "Draft", "Wed, 6 Dec 2006 10:00:00 +0000",
                                    "The budget draft is attached.\r\n"));
        host.AddMessage("Work", MakeMessage("bob@example.com", "Lunch",
                                            "Thu, 7 Dec 2006 10:00:00 +0000", "At noon\r\n"));
        host.AddMessage("In", MakeMessage("carol@example.com", "Budget final",
                                          "Tue, 5 Dec 2006 10:00:00 +0000", "Signed\r\n"));
        host.Start();
        const std::string connection = ArchiveConnectionString(DatabasePath());
        ASSERT_TRUE(CreateArchiveDatabase(connection));
        CADODatabase database;
        ASSERT_TRUE(database.Open(connection));
        const HostApplication app = HostApplication::Connect();
        std::vector<MailboxSelection> mailboxes;
        for (const char* name : {"Work", "In"}) {
            const HostFolder folder = app.FolderByName(name);
            mailboxes.push_back({folder.Path(), folder.Name(), folder.Id()});
        }
        QuietControls controls;
        ASSERT_EQ(
            4, ArchiveTask(database, LogPath(), controls).run(mailboxes, MessageFilter(), false));
    }

    // Ctrl+F in the main dialog, and the words typed.
    CFindWindow& Find(const wchar_t* words) {
        PressKey(dialog->trees().mailboxTree().hwnd(), 'F', true);
        CFindWindow* window = dialog->findWindow();
        EXPECT_NE(nullptr, window);
        ::SetWindowTextW(window->field(), words);
        EXPECT_TRUE(PumpUntil([&] { return !window->busy(); }));
        PumpWaitingMessages();
        return *window;
    }

    static std::vector<std::string> Column(const CFindWindow& window, int column) {
        std::vector<std::string> texts;
        for (int row = 0; row < window.list().ItemCount(); ++row) {
            texts.push_back(window.list().ItemText(row, column));
        }
        return texts;
    }

    static void ClickHeader(const CFindWindow& window, int column) {
        ::MoveWindow(window.hwnd(), 0, 0, 700, 300, TRUE);
        const HWND header = window.list().Header();
        RECT rect = {};
        ::SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rect));
        ClickAt(header, {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
        PumpWaitingMessages();
    }

    static void Select(const CFindWindow& window, int row) {
        window.list().SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        window.list().SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ::SetFocus(window.list().hwnd());
    }

    // The subject of the row the viewer of `archive` has selected.
    std::string SelectedInViewer(const std::string& archive) const {
        for (const HWND window : dialog->openViewers()) {
            const CArchiveViewer* viewer = dialog->Viewer(window);
            if (viewer && WindowText(window) == archive) {
                const int line = viewer->list().NextSelected(-1);
                return line >= 0 ? viewer->RowAt(line)->subject() : "<none>";
            }
        }
        return "<no viewer>";
    }
};

TEST_F(FindWindowTest, TypedWordsFindTheMessagesOfEveryArchiveNewestFirstOrByAColumn) {
    ArchiveMail();
    OpenDialog();
    CFindWindow& window = Find(L"BUDG");
    EXPECT_EQ(window.field(), ::GetFocus());
    EXPECT_EQ((std::vector<std::string>{"Draft", "Budget final", "Quarterly budget"}),
              Column(window, find_column::kSubject));
    EXPECT_EQ((std::vector<std::string>{"Work", "In", "Work"}),
              Column(window, find_column::kArchive));
    EXPECT_EQ("Find \x97 3 messages", WindowText(window.hwnd()));

    // By archive, then the other way; one archive's keep their order.
    ClickHeader(window, find_column::kArchive);
    EXPECT_EQ((std::vector<std::string>{"Budget final", "Draft", "Quarterly budget"}),
              Column(window, find_column::kSubject));
    ClickHeader(window, find_column::kArchive);
    EXPECT_EQ((std::vector<std::string>{"Draft", "Quarterly budget", "Budget final"}),
              Column(window, find_column::kSubject));

    // One window: Ctrl+F again brings it forward with its words.
    ::SetFocus(dialog->trees().mailboxTree().hwnd());
    EXPECT_EQ(&window, &Find(L"budget draft"));
    EXPECT_EQ((std::vector<std::string>{"Draft"}), Column(window, find_column::kSubject));
    EXPECT_TRUE(boxes.boxes().empty());
}

// An index deleted, or never made, catches up from the dialog's opening,
// before anyone asks Find for anything.
TEST_F(FindWindowTest, TheDialogBringsAnIndexBehindUpToDateAsItOpens) {
    ArchiveMail();
    ASSERT_TRUE(::DeleteFileA(IndexPathFor(DatabasePath()).c_str()));
    OpenDialog();
    EXPECT_TRUE(PumpUntil([&] { return ArchiveIndex(DatabasePath()).IsCurrent(); }));
    EXPECT_EQ(3, ArchiveIndex(DatabasePath()).Count("budget"));
}

TEST_F(FindWindowTest, EnterOpensTheMessageInItsArchivesViewerWithItsRowSelected) {
    ArchiveMail();
    OpenDialog();
    CFindWindow& window = Find(L"budget");
    Select(window, 1);
    PressKey(window.list().hwnd(), VK_RETURN);
    ASSERT_EQ(1u, dialog->openViewers().size());
    EXPECT_EQ("Budget final", SelectedInViewer("In"));

    Select(window, 2);
    PressKey(window.list().hwnd(), VK_RETURN);
    Select(window, 0);
    PressKey(window.list().hwnd(), VK_RETURN);
    // Work's viewer came forward for the second of its messages.
    EXPECT_EQ(2u, dialog->openViewers().size());
    EXPECT_EQ("Draft", SelectedInViewer("Work"));
    EXPECT_FALSE(IsEnabled(dialog->hwnd(), IDC_ARCHIVE));
}

TEST_F(FindWindowTest, TheMenusRestoreActsArchiveByArchiveAndTheResultsFollow) {
    ArchiveMail();
    OpenDialog();
    CFindWindow& window = Find(L"budget");
    Select(window, 0);
    PressKey(window.list().hwnd(), VK_RETURN);
    ASSERT_EQ(1u, dialog->openViewers().size());

    for (int row = 0; row < 3; ++row) {
        window.list().SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    }
    // Work's viewer is open: its list would go on showing what left.
    ::SendMessageA(window.hwnd(), WM_COMMAND, ID_VIEWER_RESTORE_REMOVE, 0);
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_THAT(boxes.boxes()[0].text,
                ::testing::HasSubstr("The archive Work is open in its viewer"));
    EXPECT_EQ(3, window.list().ItemCount());

    ::SendMessageA(dialog->openViewers()[0], WM_CLOSE, 0, 0);
    PumpWaitingMessages();
    ::SendMessageA(window.hwnd(), WM_COMMAND, ID_VIEWER_RESTORE_REMOVE, 0);
    EXPECT_TRUE(PumpUntil([&] { return !window.busy(); }));
    PumpWaitingMessages();
    EXPECT_FALSE(window.taskRunning());
    EXPECT_EQ(0, window.list().ItemCount());
    EXPECT_EQ("Find \x97 0 messages", WindowText(window.hwnd()));
    const auto count = [&](const char* mailbox) {
        return host.session().store().Mailbox(host.MailboxPath(mailbox)).Count();
    };
    EXPECT_EQ(5u, count("Work.mbx"));
    EXPECT_EQ(2u, count("In.mbx"));
    const std::string log = ReadBytes(LogPath());
    size_t records = 0;
    for (size_t at = log.find("Task Type: Restore Selected Messages"); at != std::string::npos;
         at = log.find("Task Type: Restore Selected Messages", at + 1)) {
        ++records;
    }
    EXPECT_EQ(2u, records);
    EXPECT_NE(nullptr, FindItem(dialog->trees().archiveTree(), "Work (1)"));
    EXPECT_EQ(1u, boxes.boxes().size());
}

TEST_F(FindWindowTest, FindIsRefusedWhileATaskRuns) {
    host.AddMessage(
        "Work", MakeMessage("ann@example.com", "one", "Mon, 4 Dec 2006 10:00:00 +0000", "Hi\r\n"));
    const HWND window = OpenDialog().hwnd();
    const CTreeCtrl& mailboxes = dialog->trees().mailboxTree();
    ClickCheckBox(mailboxes, FindItem(mailboxes, "Work (1)"));
    PumpWaitingMessages();
    bool buttonOff = false;
    const LaterOnThisThread duringTask(
        10,
        [&] {
            buttonOff = !IsEnabled(window, IDC_FIND_ALL);
            PressKey(mailboxes.hwnd(), 'F', true);
            ::SendMessageA(window, WM_COMMAND, IDC_FIND_ALL, 0);
        },
        [&] { return dialog->taskRunning(); });
    PressButton(window, IDC_ARCHIVE);
    EXPECT_TRUE(duringTask.ran());
    EXPECT_TRUE(buttonOff);
    EXPECT_EQ(nullptr, dialog->findWindow());

    EXPECT_TRUE(IsEnabled(window, IDC_FIND_ALL));
    PressButton(window, IDC_FIND_ALL);
    ASSERT_NE(nullptr, dialog->findWindow());
    EXPECT_TRUE(::IsWindowVisible(dialog->findWindow()->hwnd()));
}

// Where the index and the reading of the texts agree, the viewer's Find
// shows the same rows whichever it used.
TEST_F(ArchiveViewerTest, FindGivesTheSameRowsFromTheIndexAsFromReadingTheTexts) {
    CArchiveViewer& window = OpenViewer();
    const auto find = [&](const char* text) {
        ::SetWindowTextA(window.findField(), text);
        EXPECT_TRUE(PumpUntil([&] { return !window.searching(); }));
        std::vector<std::string> shown;
        for (int row = 0; row < window.list().ItemCount(); ++row) {
            shown.push_back(window.RowAt(row)->subject());
        }
        return shown;
    };
    PressKey(window.list().hwnd(), 'F', true);
    const std::vector<const char*> words = {"tagged", "first", "short"};
    std::vector<std::vector<std::string>> read;
    for (const char* word : words) {
        read.push_back(find(word));
        EXPECT_FALSE(window.foundByIndex()) << word;
        EXPECT_EQ(1u, read.back().size()) << word;
    }

    ArchiveIndex index(DatabasePath());
    for (int slice = 0; slice < 1000 && !index.CatchUp(50).done; ++slice) {
    }
    ASSERT_TRUE(index.IsCurrent());
    for (size_t w = 0; w < words.size(); ++w) {
        EXPECT_EQ(read[w], find(words[w])) << words[w];
        EXPECT_TRUE(window.foundByIndex()) << words[w];
    }
}

} // namespace
