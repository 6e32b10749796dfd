// The two trees as the main dialog builds them from the host and the
// archive, and how ticks spread through them.
#include "db/archive_schema.h"
#include "tests/ui/ui_fixture.h"
#include "ui/gdi_resources.h"
#include "ui/tree_checks.h"

#include <gmock/gmock.h>

#include <cstdint>

namespace {

std::string Mail(const std::string& subject) {
    return MakeMessage("ann@example.com", subject, "Mon, 4 Dec 2006 10:00:00 +0000", "Hello\r\n");
}

class TreesTest : public DialogTest {
protected:
    // In, Out and Trash come with every host; these are added:
    //   Work (2), trash (1), Pending (0), Projects.fol\Alpha (1),
    //   Projects.fol\Old.fol\2005 (0)
    void AddMailboxes() {
        ::CreateDirectoryA(host.MailboxPath("Projects.fol").c_str(), nullptr);
        ::CreateDirectoryA(host.MailboxPath("Projects.fol\\Old.fol").c_str(), nullptr);
        host.AddMessage("Work", Mail("one"));
        host.AddMessage("Work", Mail("two"));
        host.AddMessage("trash", Mail("bin"));
        host.AddMessage("Projects.fol\\Alpha", Mail("alpha"));
        host.AddMessage("Projects.fol\\Old.fol\\2005", Mail("old"));
    }

    const CTreeCtrl& Mailboxes() const { return dialog->trees().mailboxTree(); }
    const CTreeCtrl& Archives() const { return dialog->trees().archiveTree(); }

    std::vector<std::string> Captions(const CTreeCtrl& tree, HTREEITEM parent) const {
        std::vector<std::string> captions;
        for (HTREEITEM item = tree.Child(parent); item; item = tree.Sibling(item)) {
            captions.push_back(tree.ItemText(item));
        }
        return captions;
    }
};

TEST_F(TreesTest, MirrorTheHostsFoldersWithCountsAndLeaveTheHostsOwnMailboxesOut) {
    AddMailboxes();
    // An archive of Work with three rows already.
    const std::string connection = ArchiveConnectionString(DatabasePath());
    ASSERT_TRUE(CreateArchiveDatabase(connection));
    ASSERT_TRUE(CreateMailboxTable(connection, "Mailbox_Work", host.MailboxPath("Work.mbx")));
    {
        CADODatabase database;
        ASSERT_TRUE(database.Open(connection));
        for (int id = 1; id <= 3; ++id) {
            ASSERT_TRUE(database.Execute("INSERT INTO [Mailbox_Work] (id, S) VALUES (" +
                                         std::to_string(id) + ", 1)"));
        }
    }
    OpenDialog();

    const HTREEITEM mailboxRoot = Mailboxes().Root();
    const std::string folderName = host.dataDir().substr(host.dataDir().rfind('\\') + 1);
    EXPECT_EQ(folderName, Mailboxes().ItemText(mailboxRoot));
    EXPECT_EQ("archive", Archives().ItemText(Archives().Root()));
    // Sorted by caption; "trash" in any case and "Pending" are the host's.
    EXPECT_EQ((std::vector<std::string>{"In (0)", "Out (0)", "Projects", "Work (2)"}),
              Captions(Mailboxes(), mailboxRoot));
    EXPECT_EQ((std::vector<std::string>{"In (0)", "Out (0)", "Projects", "Work (3)"}),
              Captions(Archives(), Archives().Root()));

    const HTREEITEM projects = FindItem(Mailboxes(), "Projects");
    EXPECT_EQ((std::vector<std::string>{"Alpha (1)", "Old"}), Captions(Mailboxes(), projects));
    EXPECT_EQ((std::vector<std::string>{"2005 (1)"}),
              Captions(Mailboxes(), FindItem(Mailboxes(), "Old")));
    EXPECT_EQ((std::vector<std::string>{"2005 (0)"}),
              Captions(Archives(), FindItem(Archives(), "Old")));

    EXPECT_EQ(tree_image::kEmptyMailbox, Mailboxes().ItemImage(FindItem(Mailboxes(), "In (0)")));
    EXPECT_EQ(tree_image::kMailbox, Mailboxes().ItemImage(FindItem(Mailboxes(), "Work (2)")));
    EXPECT_EQ(tree_image::kClosedFolder, Mailboxes().ItemImage(FindItem(Mailboxes(), "Old")));

    const MailboxItem* work = dialog->trees().Mailbox(FindItem(Mailboxes(), "Work (2)"));
    ASSERT_NE(nullptr, work);
    EXPECT_EQ(host.MailboxPath("Work.mbx"), work->path);
    const ArchiveItem* archive = dialog->trees().Archive(FindItem(Archives(), "Work (3)"));
    ASSERT_NE(nullptr, archive);
    EXPECT_EQ("Mailbox_Work", archive->table);
    EXPECT_EQ(3, archive->count);
}

TEST_F(TreesTest, AMailboxTheHostFailsOnIsLeftOutAndTheRestStays) {
    AddMailboxes();
    // A name the code page cannot hold: the host gives "??.mbx" for it, a
    // file it then cannot open.
    std::wstring path(MAX_PATH, L'\0');
    path.resize(static_cast<size_t>(
        ::MultiByteToWideChar(CP_ACP, 0, host.dataDir().c_str(), -1, path.data(), MAX_PATH) - 1));
    path += L"\\\x4E2D\x6587.mbx";
    ::CloseHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    OpenDialog();

    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_THAT(boxes.boxes()[0].text, ::testing::HasSubstr("left out of the trees"));
    EXPECT_THAT(boxes.boxes()[0].text, ::testing::HasSubstr("\"??\""));
    EXPECT_EQ((std::vector<std::string>{"In (0)", "Out (0)", "Projects", "Work (2)"}),
              Captions(Mailboxes(), Mailboxes().Root()));
    EXPECT_EQ((std::vector<std::string>{"In (0)", "Out (0)", "Projects", "Work (0)"}),
              Captions(Archives(), Archives().Root()));
    EXPECT_EQ((std::vector<std::string>{"Alpha (1)", "Old"}),
              Captions(Mailboxes(), FindItem(Mailboxes(), "Projects")));
}

TEST_F(TreesTest, AnArchiveWhoseMailboxIsGoneStandsAtTheTopWithItsDecodedName) {
    const std::string connection = ArchiveConnectionString(DatabasePath());
    ASSERT_TRUE(CreateArchiveDatabase(connection));
    const std::string gonePath = host.MailboxPath("Work.Old.mbx");
    ASSERT_TRUE(CreateMailboxTable(connection, "Mailbox_Work_PERIOD_Old", gonePath));
    OpenDialog();

    const HTREEITEM orphan = FindItem(Archives(), "Work.Old (0)");
    ASSERT_NE(nullptr, orphan);
    EXPECT_EQ(nullptr, Archives().Parent(orphan));
    const ArchiveItem* item = dialog->trees().Archive(orphan);
    EXPECT_EQ(gonePath, item->path);
    EXPECT_EQ(kMailboxItem, item->kind);
    ClickCheckBox(Archives(), orphan);
    PumpWaitingMessages();
    EXPECT_EQ(std::vector<std::string>{"Mailbox_Work_PERIOD_Old"},
              dialog->trees().TickedArchives());
}

TEST_F(TreesTest, TicksSpreadDownIntoFoldersAndUpWhenAFolderIsFull) {
    AddMailboxes();
    OpenDialog();
    const CTreeCtrl& tree = Mailboxes();
    const HTREEITEM root = tree.Root();
    const HTREEITEM projects = FindItem(tree, "Projects");
    const HTREEITEM alpha = FindItem(tree, "Alpha (1)");
    const HTREEITEM old = FindItem(tree, "Old");
    const HTREEITEM y2005 = FindItem(tree, "2005 (1)");
    tree.Expand(projects);
    tree.Expand(old);

    ClickCheckBox(tree, projects);
    PumpWaitingMessages();
    EXPECT_TRUE(tree.Checked(projects));
    EXPECT_TRUE(tree.Checked(alpha));
    EXPECT_TRUE(tree.Checked(old));
    EXPECT_TRUE(tree.Checked(y2005));
    EXPECT_FALSE(tree.Checked(root));

    // Unticking one mailbox unticks every folder above it, up to the root.
    ClickCheckBox(tree, y2005);
    PumpWaitingMessages();
    EXPECT_FALSE(tree.Checked(y2005));
    EXPECT_FALSE(tree.Checked(old));
    EXPECT_FALSE(tree.Checked(projects));
    EXPECT_TRUE(tree.Checked(alpha));

    // Ticking the last unticked mailbox fills its folders again; the root
    // follows once every other top-level item is ticked too.
    for (const char* caption : {"In (0)", "Out (0)", "Work (2)"}) {
        ClickCheckBox(tree, FindItem(tree, caption));
    }
    PumpWaitingMessages();
    EXPECT_FALSE(tree.Checked(root));
    tree.Select(y2005);
    PressKey(tree.hwnd(), VK_SPACE);
    PumpWaitingMessages();
    EXPECT_TRUE(tree.Checked(y2005));
    EXPECT_TRUE(tree.Checked(old));
    EXPECT_TRUE(tree.Checked(projects));
    EXPECT_TRUE(tree.Checked(root));

    // Mailboxes in tree order, what a folder holds before the folder.
    std::vector<std::string> names;
    for (const MailboxSelection& mailbox : dialog->trees().TickedMailboxes()) {
        names.push_back(mailbox.name);
    }
    EXPECT_EQ((std::vector<std::string>{"In", "Out", "Alpha", "2005", "Work"}), names);

    // Unticking the root clears everything.
    ClickCheckBox(tree, root);
    PumpWaitingMessages();
    EXPECT_TRUE(dialog->trees().TickedMailboxes().empty());
    EXPECT_FALSE(tree.Checked(alpha));
}

TEST_F(TreesTest, ClickedCheckBoxesLeaveOneHighlightedItemTheOneEnterOpens) {
    AddMailboxes();
    OpenDialog();
    const CTreeCtrl& tree = Mailboxes();
    tree.Expand(FindItem(tree, "Projects"));
    PumpWaitingMessages();
    for (const char* caption : {"In (0)", "Work (2)", "Alpha (1)", "Out (0)"}) {
        ClickCheckBox(tree, FindItem(tree, caption));
        PumpWaitingMessages();
    }
    const HTREEITEM out = FindItem(tree, "Out (0)");
    EXPECT_TRUE(tree.Checked(out));
    EXPECT_EQ(out, tree.Selected());

    // Marked, and drawn: only the selected item's caption stands out from
    // the tree's background.
    std::vector<std::string> marked;
    std::vector<std::string> drawnMarked;
    const WindowDC drawn(tree.hwnd(), DCX_CACHE);
    RECT client = {};
    ::GetClientRect(tree.hwnd(), &client);
    // Below the last item.
    const COLORREF background = ::GetPixel(drawn.get(), client.right - 2, client.bottom - 2);
    ForEachItem(tree, [&](HTREEITEM item) {
        const UINT state = static_cast<UINT>(::SendMessageA(tree.hwnd(), TVM_GETITEMSTATE,
                                                            reinterpret_cast<WPARAM>(item),
                                                            TVIS_SELECTED | TVIS_DROPHILITED));
        if (state & (TVIS_SELECTED | TVIS_DROPHILITED)) {
            marked.push_back(tree.ItemText(item));
        }
        RECT caption = {};
        if (tree.TextRect(item, caption) &&
            ::GetPixel(drawn.get(), caption.left + 1, caption.top + 1) != background) {
            drawnMarked.push_back(tree.ItemText(item));
        }
    });
    EXPECT_EQ(std::vector<std::string>{"Out (0)"}, marked);
    EXPECT_EQ(std::vector<std::string>{"Out (0)"}, drawnMarked);
}

TEST_F(TreesTest, ClicksAndKeysTheTreeDoesNotActOnLeaveTheRestAlone) {
    AddMailboxes();
    OpenDialog();
    const CTreeCtrl& tree = Mailboxes();
    const HTREEITEM projects = FindItem(tree, "Projects");
    const HTREEITEM alpha = FindItem(tree, "Alpha (1)");
    tree.Expand(projects);

    // A double click flips the box twice; the folder and what it holds
    // still agree afterwards.
    const POINT box = CheckBoxPoint(tree, projects);
    POINT screen = box;
    ::ClientToScreen(tree.hwnd(), &screen);
    ::SetCursorPos(screen.x, screen.y);
    const LPARAM at = MAKELPARAM(box.x, box.y);
    for (const UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
        ::PostMessageA(tree.hwnd(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
    }
    PumpFor(100);
    EXPECT_EQ(tree.Checked(projects), tree.Checked(alpha));
    EXPECT_EQ(tree.Checked(projects), tree.Checked(FindItem(tree, "Old")));

    // Ctrl+Space does not tick; a ticked mailbox under an unticked folder
    // stays ticked.
    if (tree.Checked(projects)) {
        ClickCheckBox(tree, projects);
        PumpWaitingMessages();
    }
    ClickCheckBox(tree, alpha);
    PumpWaitingMessages();
    ASSERT_TRUE(tree.Checked(alpha));
    ASSERT_FALSE(tree.Checked(projects));
    tree.Select(projects);
    PressKey(tree.hwnd(), VK_SPACE, true);
    PumpWaitingMessages();
    EXPECT_EQ(tree.Checked(projects), tree.Checked(alpha) && tree.Checked(FindItem(tree, "Old")));
    EXPECT_TRUE(tree.Checked(alpha) || tree.Checked(projects));
}

TEST_F(TreesTest, FoldersShowOpenWhileExpanded) {
    AddMailboxes();
    OpenDialog();
    const HTREEITEM projects = FindItem(Mailboxes(), "Projects");
    Mailboxes().Select(projects);
    PressKey(Mailboxes().hwnd(), VK_RIGHT);
    EXPECT_TRUE(Mailboxes().IsExpanded(projects));
    EXPECT_EQ(tree_image::kOpenFolder, Mailboxes().ItemImage(projects));
    PressKey(Mailboxes().hwnd(), VK_LEFT);
    EXPECT_FALSE(Mailboxes().IsExpanded(projects));
    EXPECT_EQ(tree_image::kClosedFolder, Mailboxes().ItemImage(projects));
}

// Writes an index whose count field says `count`.
void WriteIndexCount(const std::string& tocPath, uint16_t count) {
    std::string header(104, '\0');
    header[102] = static_cast<char>(count & 0xFF);
    header[103] = static_cast<char>(count >> 8);
    WriteBytes(tocPath, header);
}

TEST_F(TreesTest, CountsAfterATaskComeFromEachMailboxsIndexFile) {
    host.AddMessage("Work", Mail("one"));
    host.AddMessage("Big", Mail("one"));
    host.AddMessage("Huge", Mail("one"));
    OpenDialog();
    ASSERT_NE(nullptr, FindItem(Mailboxes(), "Big (1)"));

    WriteIndexCount(host.MailboxPath("Big.toc"), 1000);
    WriteIndexCount(host.MailboxPath("Huge.toc"), 1001);
    ::DeleteFileA(host.MailboxPath("Work.toc").c_str());
    const_cast<CArchiveTrees&>(dialog->trees()).RefreshMailboxCounts();

    const HTREEITEM big = FindItem(Mailboxes(), "Big (1000)");
    const HTREEITEM huge = FindItem(Mailboxes(), "Huge (1001)");
    const HTREEITEM work = FindItem(Mailboxes(), "Work (-1)");
    ASSERT_TRUE(big && huge && work);
    EXPECT_EQ(tree_image::kMailbox, Mailboxes().ItemImage(big));
    EXPECT_EQ(tree_image::kFullMailbox, Mailboxes().ItemImage(huge));
    // An index that cannot be read: unknown, shown as an ordinary mailbox.
    EXPECT_EQ(tree_image::kMailbox, Mailboxes().ItemImage(work));
    EXPECT_EQ(tree_image::kEmptyMailbox, Mailboxes().ItemImage(FindItem(Mailboxes(), "In (0)")));
}

TEST_F(TreesTest, AnUnreachableHostLeavesTheRootsAndTheOrphanArchives) {
    const std::string connection = ArchiveConnectionString(DatabasePath());
    ASSERT_TRUE(CreateArchiveDatabase(connection));
    ASSERT_TRUE(CreateMailboxTable(connection, "Mailbox_Work", host.MailboxPath("Work.mbx")));
    // The dialog opens with no host serving.
    dialog = std::make_unique<CArchiveDlg>();
    ASSERT_TRUE(dialog->Create());
    PumpWaitingMessages();
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ(nullptr, Mailboxes().Child(Mailboxes().Root()));
    EXPECT_EQ(nullptr, Mailboxes().Sibling(Mailboxes().Root()));
    EXPECT_NE(nullptr, FindItem(Archives(), "Work (0)"));
    EXPECT_EQ(nullptr, Archives().Parent(FindItem(Archives(), "Work (0)")));
}

} // namespace
