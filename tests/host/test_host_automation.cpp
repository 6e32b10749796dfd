// The plug-in's host wrappers driven against the test host's automation
// server, inside one process, on a real mail folder.
#include "host/host_application.h"
#include "host/host_error.h"
#include "tests/host/host_fixture.h"

#include "testhost/mailstore/mailbox_file.h"
#include "testhost/mailstore/toc_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

std::vector<std::string> Names(const HostFolderList& list) {
    std::vector<std::string> names;
    for (long i = 1; i <= list.Count(); ++i) {
        names.push_back(list.Item(i).Name());
    }
    return names;
}

std::string ErrorText(const std::function<void()>& call) {
    try {
        call();
    } catch (const HostError& failure) {
        return failure.what();
    }
    return "(no error)";
}

class HostAutomation : public ::testing::Test {
protected:
    void SetUp() override {
        ::CreateDirectoryA(host.MailboxPath("Projects.fol").c_str(), nullptr);
        ::CreateDirectoryA(host.MailboxPath("Projects.fol\\Old.fol").c_str(), nullptr);
        host.AddMessage("In", MakeMessage("Ann <ann@example.com>", "First",
                                          "Mon, 6 Dec 2006 10:00:00 +0100", "one\r\n"));
        host.AddMessage("In",
                        MakeMessage("Bob <bob@example.com>", "Second",
                                    "Tue, 7 Dec 2006 11:30:00 -0500", "two\r\n",
                                    "X-Priority: 2 (High)\r\n"),
                        1);
        host.AddMessage("Work", MakeMessage("Cy <cy@example.com>", "Plans", "", "body\r\n"));
        host.AddMessage("Projects.fol\\Alpha",
                        MakeMessage("Di <di@example.com>", "Alpha", "", "a\r\n"));
        host.AddMessage("Projects.fol\\Old.fol\\Work",
                        MakeMessage("Ed <ed@example.com>", "Old work", "", "w\r\n"));
        host.Start();
    }

    RunningHost host;
};

TEST_F(HostAutomation, ListsTheMailFolderTheWayTheHostShowsIt) {
    HostApplication app = HostApplication::Connect();
    HostFolderList top = app.Folders();
    EXPECT_EQ((std::vector<std::string>{"In", "Out", "Trash", "Projects", "Work"}), Names(top));

    HostFolder projects = top.Item(4);
    EXPECT_EQ(0, projects.IsMailbox());
    EXPECT_EQ(host.MailboxPath("Projects.fol"), projects.Path());
    EXPECT_EQ(host.dataDir() + "\\", projects.Directory());
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Old"}), Names(projects.Folders()));

    HostFolder alpha = projects.Folders().Item(1);
    EXPECT_EQ(1, alpha.IsMailbox());
    EXPECT_EQ(0, alpha.SkipFlag());
    EXPECT_EQ(host.MailboxPath("Projects.fol\\Alpha.mbx"), alpha.Path());
    EXPECT_EQ(host.MailboxPath("Projects.fol\\"), alpha.Directory());
    EXPECT_EQ(1, alpha.Messages().Count());
    EXPECT_EQ(0, alpha.Folders().Count());

    // Ids are unique across mailboxes and folders and find them again.
    std::vector<long> ids = {top.Item(1).Id(), top.Item(2).Id(), projects.Id(), alpha.Id()};
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids.end(), std::adjacent_find(ids.begin(), ids.end()));
    EXPECT_EQ(alpha.Path(), app.FolderById(alpha.Id()).Path());

    EXPECT_EQ(host.MailboxPath("In.mbx"), app.InBox().Path());
    EXPECT_EQ("There is no folder number 6.", ErrorText([&] { top.Item(6); }));
    EXPECT_EQ("There is no mailbox with the id 99999.", ErrorText([&] { app.FolderById(99999); }));
}

TEST_F(HostAutomation, FindsMailboxesByNameDepthFirstIgnoringCase) {
    HostApplication app = HostApplication::Connect();
    EXPECT_EQ(host.MailboxPath("Trash.mbx"), app.FolderByName("trash").Path());
    EXPECT_EQ(host.MailboxPath("Projects.fol\\Alpha.mbx"), app.FolderByName("ALPHA").Path());
    // Depth-first: Projects, listed before the top-level Work, holds one too.
    EXPECT_EQ(host.MailboxPath("Projects.fol\\Old.fol\\Work.mbx"), app.FolderByName("Work").Path());
    EXPECT_EQ("There is no mailbox named \"Pending\".",
              ErrorText([&] { app.FolderByName("Pending"); }));
}

TEST_F(HostAutomation, AddMakesAnEmptyMailboxInThatList) {
    HostApplication app = HostApplication::Connect();
    app.Folders().Add("Pending");
    HostFolder pending = app.FolderByName("Pending");
    EXPECT_EQ(host.MailboxPath("Pending.mbx"), pending.Path());
    EXPECT_EQ(0, pending.Messages().Count());
    EXPECT_EQ(0, ReadTocMessageCount(host.MailboxPath("Pending.toc")));

    app.FolderByName("Projects").Folders().Add("Gamma");
    EXPECT_EQ(host.MailboxPath("Projects.fol\\Gamma.mbx"), app.FolderByName("Gamma").Path());

    EXPECT_NE("(no error)", ErrorText([&] { app.Folders().Add("Pending"); }));
    EXPECT_NE("(no error)", ErrorText([&] { app.Folders().Add("a/b"); }));
}

TEST_F(HostAutomation, ReadsMessagesAsTheHostShowsThem) {
    HostApplication app = HostApplication::Connect();
    HostMessageList messages = app.InBox().Messages();
    ASSERT_EQ(2, messages.Count());

    HostMessage first = messages.Item(1);
    EXPECT_EQ("Ann <ann@example.com>", first.HeaderField(HostMessage::kFrom));
    EXPECT_EQ("First", first.HeaderField(HostMessage::kSubject));
    EXPECT_EQ("archive@example.com", first.HeaderField(HostMessage::kTo));
    EXPECT_EQ("Wed 12/06/2006 10:00", first.HeaderField(HostMessage::kDate));
    EXPECT_EQ("", first.HeaderField(3));
    EXPECT_EQ("", first.PriorityText());
    EXPECT_EQ(0, first.Status());

    HostMessage second = messages.Item(2);
    EXPECT_EQ("High", second.PriorityText());
    EXPECT_EQ(1, second.Status());
    EXPECT_EQ(MakeMessage("Bob <bob@example.com>", "Second", "Tue, 7 Dec 2006 11:30:00 -0500",
                          "two\r\n", "X-Priority: 2 (High)\r\n"),
              second.RawText());
    EXPECT_EQ(second.RawText(), messages.ItemById(second.Id()).RawText());
    EXPECT_NE(first.Id(), second.Id());
    EXPECT_NE("(no error)", ErrorText([&] { messages.ItemById(12345); }));
    EXPECT_NE("(no error)", ErrorText([&] { messages.Item(0); }));
}

TEST_F(HostAutomation, EveryByteOfAMessageCrossesTheConnection) {
    const std::string raw = MakeMessage("x@example.com", "Bytes", "", EveryByteButZero());
    host.AddMessage("Projects.fol\\Alpha", raw);
    HostApplication app = HostApplication::Connect();
    HostMessageList messages = app.FolderByName("Alpha").Messages();
    EXPECT_EQ(raw, messages.Item(messages.Count()).RawText());
}

TEST_F(HostAutomation, StatusAndMovesPersistInTheMailboxFiles) {
    HostApplication app = HostApplication::Connect();
    HostMessageList in = app.InBox().Messages();
    HostMessage message = in.Item(2);
    const std::string raw = message.RawText();
    message.SetStatus(3);
    EXPECT_EQ(3, message.Status());

    HostFolder trash = app.FolderByName("Trash");
    message.Move(trash);
    // The message object follows its message into the other mailbox.
    EXPECT_EQ(raw, message.RawText());
    EXPECT_EQ(3, message.Status());
    EXPECT_EQ(1, in.Count());
    EXPECT_EQ(1, trash.Messages().Count());
    EXPECT_EQ(1, ReadTocMessageCount(host.MailboxPath("In.toc")));
    EXPECT_EQ(1, ReadTocMessageCount(host.MailboxPath("Trash.toc")));
    in.UpdateList();

    // A host started afresh on the same folder sees the same state.
    HostSettings settings;
    settings.dataDir = host.dataDir();
    HostSession again(settings);
    MailboxFile& trashFile = again.store().Mailbox(host.MailboxPath("Trash.mbx"));
    ASSERT_EQ(1u, trashFile.Count());
    EXPECT_EQ(raw, trashFile.RawText(0));
    EXPECT_EQ(3, trashFile.Entry(0).status);
}

TEST_F(HostAutomation, OpenReadsAMailboxRewrittenBehindTheHostsBack) {
    HostApplication app = HostApplication::Connect();
    app.Folders().Add("Pending");
    HostFolder pending = app.FolderByName("Pending");
    EXPECT_EQ(0, pending.Messages().Count());

    // What the plug-in does before a restore: no index, records appended.
    ::DeleteFileA(host.MailboxPath("Pending.toc").c_str());
    const std::string raw = MakeMessage("z@example.com", "Back", "", "From here on\r\n");
    WriteBytes(host.MailboxPath("Pending.mbx"), "From ???@??? Wed Jan 10 12:00:00 2007\r\n"
                                                "X-Status: 3\r\n" +
                                                    raw + "\r\n");
    pending.Open();
    HostMessageList messages = pending.Messages();
    ASSERT_EQ(1, messages.Count());
    EXPECT_EQ(raw, messages.Item(1).RawText());
    EXPECT_EQ(3, messages.Item(1).Status());
    EXPECT_EQ(1, ReadTocMessageCount(host.MailboxPath("Pending.toc")));
}

TEST_F(HostAutomation, StatusTextGoesToTheStatusLine) {
    HostApplication app = HostApplication::Connect();
    app.SetStatusText("Archive Messages.");
    app.SetStatusText("Operation completed. 0 messages archived.");
    EXPECT_EQ((std::vector<std::string>{"Archive Messages.",
                                        "Operation completed. 0 messages archived."}),
              host.session().statusHistory());
}

TEST_F(HostAutomation, FaultSwitchesFailTheChosenCalls) {
    host.session().faults().Arm("Move", 2);
    host.session().faults().Arm("FolderById");
    HostApplication app = HostApplication::Connect();
    HostFolder trash = app.FolderByName("Trash");
    HostMessageList in = app.InBox().Messages();
    in.Item(2).Move(trash);
    EXPECT_EQ("The host could not complete Move.", ErrorText([&] { in.Item(1).Move(trash); }));
    EXPECT_EQ(1, in.Count());
    in.Item(1).Move(trash);
    EXPECT_EQ(0, in.Count());
    EXPECT_NE("(no error)", ErrorText([&] { app.FolderById(trash.Id()); }));

    host.session().faults().Arm("RawText", 1);
    HostMessage moved = trash.Messages().Item(1);
    EXPECT_NE("(no error)", ErrorText([&] { moved.RawText(); }));
    EXPECT_FALSE(moved.RawText().empty());
}

TEST(HostReadiness, ReportsNoFoldersUntilReady) {
    HostSettings settings;
    settings.notReadyMilliseconds = 300;
    RunningHost host(settings);
    host.Start();
    HostApplication app = HostApplication::Connect();
    HostFolderList top = app.Folders();
    EXPECT_EQ(0, top.Count());
    ::Sleep(400);
    EXPECT_EQ(3, top.Count());
}

TEST(HostSkipList, FlagsTheMailboxesTheHostSkips) {
    HostSettings settings;
    settings.skipNames = {"trash"};
    RunningHost host(settings);
    host.Start();
    HostFolderList top = HostApplication::Connect().Folders();
    EXPECT_EQ(0, top.Item(1).SkipFlag());
    EXPECT_EQ(1, top.Item(3).SkipFlag());
}

TEST(HostConnection, FailsWhenNoHostRuns) {
    OleScope ole;
    EXPECT_THROW(HostApplication::Connect(), HostConnectError);
}

// The dispatch rules any automation client of the host relies on.
TEST_F(HostAutomation, AnswersAutomationClientsByTheRules) {
    HostApplication app = HostApplication::Connect();
    HostFolderList top = app.Folders();
    CLSID hostClass;
    ASSERT_EQ(S_OK, ::CLSIDFromProgID(L"Eudora.EuApplication.1", &hostClass));
    ComPtr<IDispatch> raw;
    ASSERT_EQ(S_OK,
              ::CoCreateInstance(hostClass, nullptr, CLSCTX_ALL, IID_IDispatch, raw.putVoid()));

    auto invoke = [&](DISPID id, WORD kind, std::vector<VARIANT> args, VARIANT* result,
                      EXCEPINFO* exception = nullptr) {
        DISPPARAMS parameters = {args.empty() ? nullptr : args.data(), nullptr,
                                 static_cast<UINT>(args.size()), 0};
        UINT bad = 0;
        return raw->Invoke(id, IID_NULL, 0, kind, &parameters, result, exception, &bad);
    };
    Variant result;
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, invoke(99, DISPATCH_PROPERTYGET, {}, result.put()));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, invoke(3, DISPATCH_METHOD, {}, result.put()));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              invoke(99, DISPATCH_METHOD, {*Variant(1L).get()}, result.put()));
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, invoke(27, DISPATCH_METHOD, {}, result.put()));
    // A put must name its value.
    Variant text(std::string("Hello"));
    EXPECT_EQ(DISP_E_PARAMNOTFOUND, invoke(15, DISPATCH_PROPERTYPUT, {*text.get()}, nullptr));

    // Arguments are coerced: a text "1" serves as the number.
    Variant name(std::string("In"));
    Variant one(std::string("1"));
    EXPECT_EQ(S_OK, invoke(27, DISPATCH_METHOD, {*one.get(), *name.get()}, result.put()));
    EXPECT_EQ(VT_DISPATCH, result.get()->vt);
    Variant notANumber(std::string("many"));
    EXPECT_EQ(DISP_E_TYPEMISMATCH,
              invoke(28, DISPATCH_METHOD, {*one.get(), *notANumber.get()}, result.put()));

    EXCEPINFO exception = {};
    Variant missing(std::string("Nowhere"));
    EXPECT_EQ(DISP_E_EXCEPTION,
              invoke(27, DISPATCH_METHOD, {*one.get(), *missing.get()}, result.put(), &exception));
    Bstr description;
    description.reset(exception.bstrDescription);
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrHelpFile);
    EXPECT_EQ("There is no mailbox named \"Nowhere\".", description.Ansi());
}

} // namespace
