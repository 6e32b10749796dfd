// The host's windows as the plug-in meets them: mailbox windows found and
// closed by caption, the status line, and the host's own Empty Trash.
#include "host/host_application.h"
#include "base/file_utils.h"
#include "base/message_pump.h"
#include "base/window_utils.h"
#include "testhost/empty_trash.h"
#include "testhost/host_window.h"
#include "testhost/pump_for.h"
#include "testhost/script_runner.h"
#include "testhost/mailstore/mailbox_file.h"
#include "tests/host/host_fixture.h"

#include <commctrl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

HWND MailboxList(const HostWindow& window, const char* caption) {
    HWND child = ::FindWindowExA(window.mdiClient(), nullptr, nullptr, caption);
    return child ? ::GetWindow(child, GW_CHILD) : nullptr;
}

std::string CellText(HWND list, int row, int column) {
    char text[256] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
    return text;
}

// Each row as "status subject".
std::vector<std::string> Rows(HWND list) {
    std::vector<std::string> rows;
    const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        rows.push_back(CellText(list, row, 0) + " " + CellText(list, row, 4));
    }
    return rows;
}

TEST(HostWindow, OpensMailboxWindowsThatThePlugInCanClose) {
    RunningHost host;
    host.Start();
    HostWindow window(::GetModuleHandleA(nullptr), host.sessionRef(), nullptr);
    ASSERT_TRUE(window.Create(SW_SHOWNOACTIVATE));

    HostApplication app = HostApplication::Connect();
    app.Folders().Add("Pending");
    app.FolderByName("Pending").Open();
    app.FolderByName("Pending").Open(); // a second Open activates the same window
    PumpWaitingMessages();
    HWND pending = ::FindWindowExA(window.mdiClient(), nullptr, nullptr, "Pending");
    ASSERT_NE(nullptr, pending);
    EXPECT_EQ(nullptr, ::FindWindowExA(window.mdiClient(), pending, nullptr, "Pending"));

    EXPECT_FALSE(CloseHostMailboxWindow("In"));
    EXPECT_TRUE(CloseHostMailboxWindow("Pending"));
    PumpWaitingMessages();
    EXPECT_FALSE(::IsWindow(pending));
    EXPECT_FALSE(CloseHostMailboxWindow("Pending"));

    app.SetStatusText("Restoring messages to In. ");
    HWND status = ::FindWindowExA(window.handle(), nullptr, STATUSCLASSNAMEA, nullptr);
    char text[128] = "";
    ::SendMessageA(status, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ("Restoring messages to In. ", text);
}

TEST(HostWindow, KeepsOneWindowPerMailboxAndClosesThemAllWithItself) {
    RunningHost host;
    ::CreateDirectoryA(host.MailboxPath("Old.fol").c_str(), nullptr);
    host.AddMessage("Old.fol\\In", MakeMessage("a@example.com", "Old", "", "x\r\n"));
    host.Start();
    HWND client = nullptr;
    {
        HostWindow window(::GetModuleHandleA(nullptr), host.sessionRef(), nullptr);
        ASSERT_TRUE(window.Create(SW_SHOWNOACTIVATE));
        EXPECT_FALSE(window.Create(SW_SHOWNOACTIVATE));
        client = window.mdiClient();
        HostApplication app = HostApplication::Connect();
        app.InBox().Open();
        app.FolderByName("Old").Folders().Count();
        HostFolder oldIn = app.FolderByName("Old").Folders().Item(1);
        oldIn.Open();
        app.FolderByName("Trash").Open();
        PumpWaitingMessages();
        // Two mailboxes called In, two windows.
        HWND first = ::FindWindowExA(client, nullptr, nullptr, "In");
        ASSERT_NE(nullptr, first);
        EXPECT_NE(nullptr, ::FindWindowExA(client, first, nullptr, "In"));
    }
    EXPECT_FALSE(::IsWindow(client));
    // Closing the window asked no one to end the test program.
    MSG message;
    EXPECT_FALSE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(HostWindow, MailboxListsFollowMovesStatusesAndRecordsAddedByHand) {
    RunningHost host;
    for (const char* subject : {"1", "2", "3", "4"}) {
        host.AddMessage("In", MakeMessage("a@example.com", subject, "", "text\r\n"));
    }
    host.Start();
    HostWindow window(::GetModuleHandleA(nullptr), host.sessionRef(), nullptr);
    ASSERT_TRUE(window.Create(SW_SHOWNOACTIVATE));
    HostApplication app = HostApplication::Connect();
    const HostFolder in = app.InBox();
    const HostFolder trash = app.FolderByName("Trash");
    in.Open();
    trash.Open();
    PumpWaitingMessages();
    HWND inList = MailboxList(window, "In");
    ASSERT_NE(nullptr, inList);
    LVITEMA selected = {};
    selected.stateMask = selected.state = LVIS_SELECTED;
    ::SendMessageA(inList, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&selected));

    // The last message and the first, the one cut off the file's end, the
    // other written out of it.
    const HostMessageList messages = in.Messages();
    messages.Item(4).Move(trash);
    messages.Item(1).Move(trash);
    messages.Item(2).SetStatus(1);
    PumpWaitingMessages();
    EXPECT_THAT(Rows(inList), ElementsAre("Unread 2", "Read 3"));
    EXPECT_THAT(Rows(MailboxList(window, "Trash")), ElementsAre("Unread 4", "Unread 1"));
    // The row that stayed keeps its selection.
    EXPECT_EQ(0, ::SendMessageA(inList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));

    const std::string record = "From ???@??? Wed Jan 10 12:00:00 2007\r\nX-Status: 2\r\n" +
                               MakeMessage("b@example.com", "5", "", "text\r\n") + "\r\n";
    const std::string path = host.MailboxPath("In.mbx");
    WriteBytes(path, ReadBytes(path) + record);
    messages.UpdateList();
    PumpWaitingMessages();
    EXPECT_THAT(Rows(inList), ElementsAre("Unread 2", "Read 3", "Replied 5"));
}

// Played as a user picks it from the Special menu. The host does not ask
// whether a message outside Trash names a file too: that one goes as well.
TEST(HostWindow, EmptyTrashTakesTheFilesItsMessagesNameInTheHostsFoldersOnly) {
    RunningHost host;
    const std::string mail = host.dataDir();
    for (const char* folder : {"Attach", "Embedded", "Documents"}) {
        ::CreateDirectoryA((mail + "\\" + folder).c_str(), nullptr);
    }
    const std::vector<std::string> goes = {"Attach\\report.pdf", "Attach\\old form.txt",
                                           "Attach\\shared.doc", "Embedded\\image001.jpg"};
    const std::vector<std::string> stays = {"secret.txt", "Documents\\sent.txt",
                                            "Attach\\sent too.pdf", "Attach\\unnamed.pdf"};
    for (const std::string& file : goes) {
        WriteBytes(mail + "\\" + file, "x");
    }
    for (const std::string& file : stays) {
        WriteBytes(mail + "\\" + file, "x");
    }
    // Each form the host writes, a file gone already, and names that climb
    // out of the folders or lie elsewhere.
    std::string files = "Attachment Converted: \"" + mail + "\\Attach\\report.pdf\"\r\n";
    files += "ATTACHMENT CONVERTED: " + mail + "\\Attach\\old form.txt \r\n";
    files += "Embedded Content: image001.jpg: 00000001,4e5d6f7a\r\n";
    files += "Attachment Converted: \"" + mail + "\\Attach\\gone.pdf\"\r\n";
    files += "Attachment Converted: \"" + mail + "\\Attach\\..\\secret.txt\"\r\n";
    files += "Attachment Converted: " + mail + "\\Documents\\sent.txt\r\n";
    files += "Embedded Content: ..\\secret.txt: 1,2\r\n";
    host.AddMessage("Trash", MakeMessage("a@example.com", "Files", "", files), 1);
    host.AddMessage("Trash",
                    MakeMessage("me@example.com", "Sent", "",
                                "Attachment Converted: \"" + mail + "\\Attach\\shared.doc\"\r\n",
                                "X-Attachments: " + mail + "\\Documents\\sent.txt; " + mail +
                                    "\\Attach\\sent too.pdf\r\n"),
                    8);
    host.AddMessage("In",
                    MakeMessage("b@example.com", "Kept", "",
                                "Attachment Converted: \"" + mail + "\\Attach\\shared.doc\"\r\n"));
    host.Start();
    HostWindow window(::GetModuleHandleA(nullptr), host.sessionRef(), nullptr);
    ASSERT_TRUE(window.Create(SW_SHOWNOACTIVATE));
    HostApplication::Connect().FolderByName("Trash").Open();
    PumpWaitingMessages();
    ASSERT_EQ(2u, Rows(MailboxList(window, "Trash")).size());

    std::vector<std::string> said;
    ScriptRunner runner(window.handle(), host.session().store(), ParseHostScript("empty-trash"),
                        mail, false, [&](const std::string& line) { said.push_back(line); });
    for (int wait = 0; wait < 100 && !runner.finished(); ++wait) {
        PumpFor(50);
    }
    PumpWaitingMessages();
    EXPECT_TRUE(runner.completed());
    EXPECT_THAT(said,
                Contains("chose \"Empty Trash\": Emptied Trash: 2 message(s), 4 file(s) deleted."));
    EXPECT_THAT(Rows(MailboxList(window, "Trash")), IsEmpty());
    MailboxFile trash(host.MailboxPath("Trash.mbx"));
    trash.Load();
    EXPECT_EQ(0u, trash.Count());
    EXPECT_EQ(1u, host.session().store().Mailbox(host.MailboxPath("In.mbx")).Count());
    for (const std::string& file : goes) {
        EXPECT_FALSE(FileExists(mail + "\\" + file)) << file;
    }
    for (const std::string& file : stays) {
        EXPECT_TRUE(FileExists(mail + "\\" + file)) << file;
    }
}

TEST(HostWindow, EmptyTrashFindsTheAttachmentFolderThatEudoraIniNames) {
    RunningHost host;
    const std::string mail = host.dataDir();
    for (const char* folder : {"Attach", "Saved"}) {
        ::CreateDirectoryA((mail + "\\" + folder).c_str(), nullptr);
        WriteBytes(mail + "\\" + folder + "\\a.pdf", "x");
    }
    WriteBytes(mail + "\\Eudora.ini", "[Settings]\r\nAttachDir=Saved\\\r\n");
    const std::string files = "Attachment Converted: " + mail + "\\Saved\\a.pdf\r\n" +
                              "Attachment Converted: " + mail + "\\Attach\\a.pdf\r\n";
    host.AddMessage("Trash", MakeMessage("a@example.com", "Files", "", files));
    host.Start();
    EXPECT_EQ("Emptied Trash: 1 message(s), 1 file(s) deleted.",
              EmptyTrash(host.session()).Summary());
    EXPECT_FALSE(FileExists(mail + "\\Saved\\a.pdf"));
    EXPECT_TRUE(FileExists(mail + "\\Attach\\a.pdf"));
}

} // namespace
