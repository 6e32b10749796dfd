// The main dialog started on an archive still in the Jet format: converted
// on Yes into an ordinary archive that restores and opens like any other;
// left alone on No and on Stop, with Archive and Restore refused; another
// program's Access file refused untouched; a conversion cut off between its
// renames taken up at the next start.
#include "db/archive_schema.h"
#include "db/jet/jet_database.h"
#include "engine/jet_conversion.h"
#include "base/ansi_text.h"
#include "base/file_utils.h"
#include "base/stowlark_app.h"
#include "testhost/mailstore/mailbox_file.h"
#include "tests/ui/ui_fixture.h"

#include <algorithm>

namespace {

std::string JetFixture(const char* name = "mail-archive.mdb") {
    return WinePath(std::string(STOWLARK_JET_FIXTURES "/") + name);
}

class SilentConversion : public ConversionControls {
public:
    void ShowProgress(int, const std::string&) override {}
    bool StopRequested() override { return false; }
    void LogWritten() override {}
};

class JetArchiveDialog : public DialogTest {
protected:
    JetArchiveDialog() : jet(ReadBytes(JetFixture())) { WriteBytes(DatabasePath(), jet); }
    ~JetArchiveDialog() override { App().SetMessageBoxSink(previous_); }

    // The question is answered with `answer`; with `pressStop` the user
    // presses Stop as the conversion begins. Every box is kept in `shown`.
    void Answer(int answer, bool pressStop = false) {
        answer_ = answer;
        pressStop_ = pressStop;
        if (answering_) {
            return;
        }
        answering_ = true;
        previous_ = App().SetMessageBoxSink(
            [this](HWND owner, const std::string& text, const std::string&, UINT type) {
                shown.push_back(text);
                if ((type & MB_YESNO) != MB_YESNO) {
                    return IDOK;
                }
                if (pressStop_) {
                    const HWND stop = ::GetDlgItem(owner, IDC_STOP);
                    ::PostMessageA(owner, WM_COMMAND, MAKEWPARAM(IDC_STOP, BN_CLICKED),
                                   reinterpret_cast<LPARAM>(stop));
                }
                return answer_;
            });
    }
    const CTreeCtrl& Archives() const { return dialog->trees().archiveTree(); }
    void ExpectStillJet() {
        EXPECT_EQ(jet, ReadBytes(DatabasePath()));
        EXPECT_FALSE(FileExists(files / "archive-jet.mdb"));
        EXPECT_FALSE(FileExists(DatabasePath() + ".converting"));
        EXPECT_NE(std::string::npos, shown.back().find("Jet format"));
        EXPECT_NE(std::string::npos, shown.back().find(DatabasePath()));
        ExpectArchiveUnusable(shown.back());
        EXPECT_EQ(jet, ReadBytes(DatabasePath()));
    }

    // The archive item restored through the dialog: In then holds exactly
    // these messages, each with its status. The `kept` that hold characters
    // the code page lacks stay in the archive, told in one box.
    void ExpectRestoredHome(HTREEITEM archive,
                            const std::vector<std::pair<std::string, int>>& expected,
                            int kept = 0) {
        ::SendMessageA(Archives().hwnd(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(archive));
        ClickCheckBox(Archives(), archive);
        PumpWaitingMessages();
        shown.clear();
        PressButton(dialog->hwnd(), IDC_RESTORE);
        if (kept == 0) {
            EXPECT_TRUE(shown.empty()) << shown.front();
        } else {
            ASSERT_EQ(1u, shown.size());
            EXPECT_NE(std::string::npos, shown[0].find(std::to_string(kept) +
                                                       " selected messages of In hold "
                                                       "characters that this system's code page"))
                << shown[0];
        }
        const MailboxFile& inbox = host.session().store().Mailbox(host.MailboxPath("In.mbx"));
        ASSERT_EQ(expected.size(), inbox.Count());
        std::vector<bool> matched(inbox.Count(), false);
        for (const auto& message : expected) {
            bool found = false;
            for (size_t i = 0; i < inbox.Count() && !found; ++i) {
                found = !matched[i] && inbox.RawText(i) == message.first &&
                        inbox.Entry(i).status == message.second;
                if (found) {
                    matched[i] = true;
                }
            }
            EXPECT_TRUE(found) << message.first.substr(0, 60);
        }
    }

    const std::string jet;
    std::vector<std::string> shown;

private:
    int answer_ = IDNO;
    bool pressStop_ = false;
    bool answering_ = false;
    MessageBoxSink previous_;
};

} // namespace

TEST_F(JetArchiveDialog, YesConvertsAndTheArchiveRestoresAndOpensLikeAnyOther) {
    Answer(IDYES);
    OpenDialog();
    ASSERT_EQ(1u, shown.size()) << shown.back();
    EXPECT_NE(std::string::npos, shown[0].find("archive-jet.mdb"));
    EXPECT_EQ(jet, ReadBytes(files / "archive-jet.mdb"));
    EXPECT_NE(std::string::npos, ReadBytes(LogPath()).find("Convert Archive"));
    // The host's status line ends with the outcome, not the last row checked;
    // Find's index of the new archive may start catching up after it.
    std::vector<std::string> lines = host.session().statusHistory();
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const std::string& line) {
                                   return line.find("for Find") != std::string::npos;
                               }),
                lines.end());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("Operation completed. 407 messages converted.", lines.back());
    EXPECT_NE(nullptr, FindItem(Archives(), "Big (400)"));
    const HTREEITEM in = FindItem(Archives(), "In (7)");
    ASSERT_NE(nullptr, in);

    // The viewer opens the converted table.
    CArchiveViewer big(nullptr, "Mailbox_Big", "Big", dialog->connectionString());
    ASSERT_TRUE(big.Create());
    PumpWaitingMessages();
    EXPECT_EQ(400, big.list().ItemCount());
    ::SendMessageA(big.hwnd(), WM_CLOSE, 0, 0);
    PumpWaitingMessages();

    // Restored, every message is the one archived, byte for byte, with its
    // status; the one with Greek the code page cannot carry stays.
    const std::vector<std::pair<std::string, int>> expected = {
        {"Subject: Every byte\r\n\r\n" + EveryByteButZero(), 2},
        {"Subject: Long\r\n\r\n" +
             NumberedLines("Line %05d of a long message, long enough to span many pages.\r\n", 700),
         1},
        {"Subject: Medium\r\n\r\n" + NumberedLines("Medium line %03d.\r\n", 150), 1},
        {"Subject: \r\n\r\nNo date.\r\n", 5},
        {"Subject: Same id\r\n\r\nIds repeat.\r\n", 6},
        {"x", 1},
    };
    ExpectRestoredHome(in, expected, 1);
}

TEST_F(JetArchiveDialog, NoLeavesTheJetFileAndTheTasksRefuse) {
    Answer(IDNO);
    OpenDialog();
    ASSERT_EQ(2u, shown.size());
    EXPECT_NE(std::string::npos, shown[1].find("not converted"));
    ExpectStillJet();
}

TEST_F(JetArchiveDialog, ALaterAccessFileIsNotOfferedForConversion) {
    std::string ace = jet;
    ace.replace(4, 16, std::string("Standard ACE DB") + '\0');
    WriteBytes(DatabasePath(), ace);
    Answer(IDYES);
    OpenDialog();
    ASSERT_EQ(1u, shown.size());
    EXPECT_NE(std::string::npos, shown[0].find("not supported"));
    ExpectArchiveUnusable(shown[0]);
    EXPECT_EQ(ace, ReadBytes(DatabasePath()));
}

TEST_F(JetArchiveDialog, AnAccessFileThatHoldsNoArchiveIsRefusedAndLeftAsItIs) {
    const std::string other = ReadBytes(JetFixture("not-an-archive.mdb"));
    WriteBytes(DatabasePath(), other);
    Answer(IDYES);
    OpenDialog();
    // Not offered for conversion: said once, and never moved away.
    ASSERT_EQ(1u, shown.size());
    EXPECT_NE(std::string::npos, shown[0].find("not an archive")) << shown[0];
    EXPECT_NE(std::string::npos, shown[0].find(DatabasePath()));
    ExpectArchiveUnusable(shown[0]);
    CloseDialog();
    EXPECT_EQ(other, ReadBytes(DatabasePath()));
    EXPECT_FALSE(FileExists(files / "archive-jet.mdb"));
    EXPECT_FALSE(FileExists(DatabasePath() + ".converting"));
}

// Cut off after the Jet file became the backup: the converted file, complete,
// is put in place without a word but the log's; without it, the archive is
// converted again from the backup, and never started empty beside it.
TEST_F(JetArchiveDialog, AConversionCutOffBetweenItsRenamesIsTakenUpAtTheNextStart) {
    SilentConversion quiet;
    ASSERT_EQ(JetConversionOutcome::Result::Converted,
              JetConversion(DatabasePath(), LogPath(), quiet).Run().result);
    const std::string converted = ReadBytes(DatabasePath());
    ASSERT_TRUE(::MoveFileA(DatabasePath().c_str(), (DatabasePath() + ".converting").c_str()));
    Answer(IDNO);
    OpenDialog(false);
    EXPECT_TRUE(shown.empty()) << shown.front();
    EXPECT_NE(nullptr, FindItem(Archives(), "In (7)"));
    EXPECT_EQ(converted, ReadBytes(DatabasePath()));
    EXPECT_FALSE(FileExists(DatabasePath() + ".converting"));
    EXPECT_NE(std::string::npos, ReadBytes(LogPath()).find("cut off"));
    CloseDialog();

    // Only the backup is left, and a half-made file beside it.
    ASSERT_TRUE(::DeleteFileA(DatabasePath().c_str()));
    WriteBytes(DatabasePath() + ".converting", "half made");
    OpenDialog(false);
    ASSERT_EQ(2u, shown.size());
    EXPECT_NE(std::string::npos, shown[0].find("archive-jet.mdb")) << shown[0];
    EXPECT_FALSE(FileExists(DatabasePath()));
    ExpectArchiveUnusable(shown[1]);
    CloseDialog();
    EXPECT_FALSE(FileExists(DatabasePath()));

    shown.clear();
    Answer(IDYES);
    OpenDialog(false);
    ASSERT_EQ(1u, shown.size()) << shown.back();
    EXPECT_NE(nullptr, FindItem(Archives(), "In (7)"));
    EXPECT_EQ(jet, ReadBytes(files / "archive-jet.mdb"));
    EXPECT_FALSE(FileExists(files / "archive-jet-2.mdb"));
    EXPECT_FALSE(FileExists(DatabasePath() + ".converting"));
}

TEST_F(JetArchiveDialog, StopEndsTheConversionAsIfNoHadBeenChosen) {
    Answer(IDYES, true);
    OpenDialog();
    ASSERT_EQ(2u, shown.size());
    EXPECT_NE(std::string::npos, shown[1].find("stopped"));
    ExpectStillJet();
    EXPECT_NE(std::string::npos, ReadBytes(LogPath()).find("Task stopped"));
}

// The shared sample, made by the separate Jet writer from its own rows:
// every message of In that the code page can carry comes home as the Jet
// file holds it; the others stay in the archive.
TEST_F(JetArchiveDialog, TheSharedSampleConvertsAndRestoresItsInbox) {
    const std::string sample = WinePath(STOWLARK_SHARED_JET_FIXTURES "/archive-sample.mdb");
    if (!FileExists(sample)) {
        GTEST_SKIP() << "../shared/jet/fixtures is not beside this clone";
    }
    std::vector<std::pair<std::string, int>> expected;
    int kept = 0;
    {
        JetDatabase jetFile(sample);
        for (const JetTable& table : jetFile.tables()) {
            if (table.name != L"Mailbox_In") {
                continue;
            }
            std::unique_ptr<TableScan> scan = jetFile.Scan(table);
            std::vector<JetValue> row;
            while (scan->Next(row)) {
                std::string ansi;
                if (Utf8ToAnsiExact(Utf8FromWide(row[8].text), ansi)) {
                    expected.push_back({ansi, static_cast<int>(row[1].integer)});
                } else {
                    ++kept;
                }
            }
        }
    }
    ASSERT_EQ(12u, expected.size() + static_cast<size_t>(kept));
    WriteBytes(DatabasePath(), ReadBytes(sample));
    Answer(IDYES);
    OpenDialog();
    ASSERT_EQ(1u, shown.size()) << shown.back();
    EXPECT_NE(nullptr, FindItem(Archives(), "Big (3000)"));
    EXPECT_EQ(nullptr, FindItem(Archives(), "Notes (1)"));
    const HTREEITEM in = FindItem(Archives(), "In (12)");
    ASSERT_NE(nullptr, in);
    ExpectRestoredHome(in, expected, kept);
}
