#include "testhost/mailstore/mailbox_file.h"

#include "base/unique_resource.h"
#include "tests/test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string kSeparator = "From ???@??? Wed Jan 10 12:00:00 2007\r\n";

std::string Mail(const std::string& subject, const std::string& extraHeaders = "",
                 const std::string& body = "Body text.\r\n") {
    return "From: Anna <anna@example.com>\r\nTo: tester@example.net\r\nSubject: " + subject +
           "\r\n" + extraHeaders + "\r\n" + body;
}

// A record as the plug-in appends it: the status line is the record's.
std::string PluginRecord(const std::string& raw) {
    return kSeparator + "X-Status: 3\r\n" + raw + "\r\n";
}

MailboxFile Loaded(const std::string& path) {
    MailboxFile mailbox(path);
    mailbox.Load();
    return mailbox;
}

std::vector<std::string> Messages(const MailboxFile& mailbox) {
    std::vector<std::string> raw;
    for (size_t i = 0; i < mailbox.Count(); ++i) {
        raw.push_back(mailbox.RawText(i));
    }
    return raw;
}

std::vector<uint32_t> Ids(const MailboxFile& mailbox) {
    std::vector<uint32_t> ids;
    for (size_t i = 0; i < mailbox.Count(); ++i) {
        ids.push_back(mailbox.Entry(i).id);
    }
    return ids;
}

std::vector<int32_t> Statuses(const MailboxFile& mailbox) {
    std::vector<int32_t> statuses;
    for (size_t i = 0; i < mailbox.Count(); ++i) {
        statuses.push_back(mailbox.Entry(i).status);
    }
    return statuses;
}

// Where an index puts each message and what it knows of it from its bytes.
std::vector<std::string> Places(const TocContents& toc) {
    std::vector<std::string> places;
    for (const TocEntry& entry : toc.entries) {
        places.push_back(
            std::to_string(entry.recordOffset) + "-" + std::to_string(entry.recordEnd) + " " +
            std::to_string(entry.message.offset) + "+" + std::to_string(entry.message.length) +
            " " + std::to_string(entry.checksum) + " " + std::to_string(entry.message.priority) +
            " " + entry.message.date);
    }
    return places;
}

std::string AppendJournal(uint64_t mbxSizeBefore, uint32_t id) {
    std::string bytes = "STWKJNL\x1A";
    for (int i = 0; i < 8; ++i) {
        bytes += static_cast<char>((mbxSizeBefore >> (8 * i)) & 0xFF);
    }
    for (int i = 0; i < 4; ++i) {
        bytes += static_cast<char>((id >> (8 * i)) & 0xFF);
    }
    return bytes;
}

uint32_t Le32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 4; i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
    }
    return value;
}

TEST(MailboxFile, ReadsWhatThePlugInAppendedByHand) {
    TempFolder folder;
    const std::string first = Mail("One", "", "From what I can see, fine.\r\n");
    const std::string second = Mail("Two", "", "line\nwith LF only\n");
    const std::string lastUnclosed = Mail("Three", "", "no line end");
    WriteBytes(folder / "Pending.mbx", "stray bytes before any record\r\n" + PluginRecord(first) +
                                           PluginRecord(second) + kSeparator + lastUnclosed);

    MailboxFile mailbox = Loaded(folder / "Pending.mbx");
    EXPECT_THAT(Messages(mailbox), ElementsAre(first, second, lastUnclosed));
    EXPECT_THAT(Ids(mailbox), ElementsAre(1u, 2u, 3u));
    EXPECT_EQ(mailbox.Entry(0).status, 3);
    EXPECT_EQ(mailbox.Entry(2).status, 0);
    EXPECT_EQ(ReadTocMessageCount(folder / "Pending.toc"), 3);
}

TEST(MailboxFile, TakesOnlyALeadingNumericStatusLineAsTheRecords) {
    TempFolder folder;
    const std::string lettered = "X-Status: RO\r\n" + Mail("Lettered");
    const std::string inside = Mail("Inside", "X-Status: 2\r\n");
    WriteBytes(folder / "In.mbx", kSeparator + lettered + "\r\n" + kSeparator + inside + "\r\n");

    MailboxFile mailbox = Loaded(folder / "In.mbx");
    EXPECT_THAT(Messages(mailbox), ElementsAre(lettered, inside));
    EXPECT_EQ(mailbox.Entry(0).status, 0);
    EXPECT_EQ(mailbox.Entry(1).status, 0);

    // One that the host itself takes in survives a rebuilt index whole.
    const std::string lookalike = "X-Status: 4\r\n" + Mail("Lookalike");
    mailbox.Append(lookalike, 2);
    ASSERT_TRUE(::DeleteFileA((folder / "In.toc").c_str()));
    mailbox.Load();
    EXPECT_THAT(Messages(mailbox), ElementsAre(lettered, inside, lookalike));
    EXPECT_EQ(mailbox.Entry(2).status, 2);
}

TEST(MailboxFile, ToleratesOlderSeparatorsAndEmptyMessages) {
    TempFolder folder;
    WriteBytes(folder / "Old.mbx", "From ???@??? Fri Jan  5 01:02:03 2007\r\nA\r\n\r\n"
                                   "From ???@??? Fri Jan 05 01:02:03 2007\r\n\r\n"
                                   "From ???@??? Fri Jan 5 01:02:03 2007\r\n"
                                   "From ???@??? Fri Jan 5 01:02:03 2007 (not one)\r\n");
    EXPECT_THAT(Messages(Loaded(folder / "Old.mbx")),
                ElementsAre("A\r\n", "", "From ???@??? Fri Jan 5 01:02:03 2007 (not one)"));
}

TEST(MailboxFile, ReadsBackWhatItWroteByteForByteWithOrWithoutItsIndex) {
    TempFolder folder;
    const std::string path = folder / "In.mbx";
    MailboxFile::CreateEmpty(path);
    const std::vector<std::string> raw = {
        Mail("Plain", "Date: Mon, 11 Dec 2006 10:00:00 +0100\r\n"),
        Mail("From line", "", "Hi\r\nFrom ???@??? is how it starts\r\nFrom me\r\n"),
        Mail("Caf\xE9 8-bit", "", EveryByteButZero()),
        Mail("Unfinished", "", "no line end"),
        Mail("Lone CR", "", "ends in\r"),
        "",
    };
    std::vector<std::string> dates;
    {
        MailboxFile mailbox = Loaded(path);
        for (const std::string& message : raw) {
            mailbox.Append(message, 0);
        }
        EXPECT_EQ(Messages(mailbox), raw);
        for (size_t i = 0; i < mailbox.Count(); ++i) {
            dates.push_back(mailbox.Entry(i).date);
        }
    }
    EXPECT_EQ(Messages(Loaded(path)), raw);

    ASSERT_TRUE(::DeleteFileA((folder / "In.toc").c_str()));
    MailboxFile rebuilt = Loaded(path);
    EXPECT_EQ(Messages(rebuilt), raw);
    EXPECT_EQ(rebuilt.Entry(0).date, dates[0]);
    EXPECT_EQ(ReadTocMessageCount(folder / "In.toc"), raw.size());
}

TEST(MailboxFile, MovesKeepTheBytesExactly) {
    TempFolder folder;
    MailboxFile::CreateEmpty(folder / "In.mbx");
    MailboxFile::CreateEmpty(folder / "Work.mbx");
    MailboxFile in = Loaded(folder / "In.mbx");
    MailboxFile work = Loaded(folder / "Work.mbx");
    const std::vector<std::string> raw = {Mail("Keep"), Mail("8-bit", "", EveryByteButZero()),
                                          Mail("Unfinished", "", "no line end"), Mail("Also keep")};
    for (const std::string& message : raw) {
        in.Append(message, 7);
    }

    for (size_t i : {2u, 1u}) {
        work.Append(in.RawText(i), in.Entry(i).status);
        in.Remove(i);
    }

    EXPECT_THAT(Messages(Loaded(folder / "In.mbx")), ElementsAre(raw[0], raw[3]));
    MailboxFile moved = Loaded(folder / "Work.mbx");
    EXPECT_THAT(Messages(moved), ElementsAre(raw[2], raw[1]));
    EXPECT_EQ(moved.Entry(0).status, 7);
    EXPECT_EQ(ReadTocMessageCount(folder / "In.toc"), 2);
    EXPECT_EQ(ReadTocMessageCount(folder / "Work.toc"), 2);
}

TEST(MailboxFile, AppendsAfterAnUnclosedRecordAndKeepsBytesOutsideRemovedOnes) {
    TempFolder folder;
    const std::string path = folder / "In.mbx";
    const std::string before = "not a message\r\n";
    const std::string unclosed = Mail("B", "", "x");
    WriteBytes(path, before + PluginRecord(Mail("A")) + kSeparator + unclosed);
    MailboxFile mailbox = Loaded(path);

    mailbox.Append(Mail("C"), 0);
    const auto expected = ElementsAre(Mail("A"), unclosed, Mail("C"));
    EXPECT_THAT(Messages(mailbox), expected);
    ASSERT_TRUE(::DeleteFileA((folder / "In.toc").c_str()));
    mailbox.Load();
    EXPECT_THAT(Messages(mailbox), expected);

    mailbox.Remove(1);
    mailbox.Remove(0);
    EXPECT_EQ(ReadBytes(path).substr(0, before.size()), before);
    EXPECT_THAT(Messages(Loaded(path)), ElementsAre(Mail("C")));
}

TEST(MailboxFile, NeverGivesAnIdOutTwice) {
    TempFolder folder;
    const std::string path = folder / "In.mbx";
    MailboxFile::CreateEmpty(path);
    {
        MailboxFile mailbox = Loaded(path);
        EXPECT_EQ(mailbox.Append(Mail("1"), 0), 1u);
        EXPECT_EQ(mailbox.Append(Mail("2"), 0), 2u);
        EXPECT_EQ(mailbox.Append(Mail("3"), 0), 3u);
        mailbox.Remove(2);
        EXPECT_EQ(mailbox.Append(Mail("4"), 0), 4u);
        mailbox.Remove(2);
    }
    MailboxFile reloaded = Loaded(path);
    EXPECT_EQ(reloaded.Append(Mail("5"), 0), 5u);
    EXPECT_THAT(Ids(reloaded), ElementsAre(1u, 2u, 5u));
    EXPECT_EQ(reloaded.IndexOfId(5), 2u);
    EXPECT_EQ(reloaded.IndexOfId(3), std::nullopt);

    // A change behind the host's back makes it rebuild; the counter goes on.
    WriteBytes(path, ReadBytes(path) + PluginRecord(Mail("6")));
    MailboxFile rebuilt = Loaded(path);
    EXPECT_THAT(Ids(rebuilt), ElementsAre(1u, 2u, 5u, 6u));
}

TEST(MailboxFile, CountAtOffset102FollowsEveryChange) {
    TempFolder folder;
    const std::string toc = folder / "In.toc";
    MailboxFile::CreateEmpty(folder / "In.mbx");
    EXPECT_EQ(ReadBytes(toc).size(), kTocHeaderSize);
    EXPECT_EQ(ReadTocMessageCount(toc), 0);

    MailboxFile mailbox = Loaded(folder / "In.mbx");
    mailbox.Append(Mail("1"), 0);
    EXPECT_EQ(ReadTocMessageCount(toc), 1);
    mailbox.Append(Mail("2", "Date: 3 Jan 2007 17:45 GMT\r\n"), 0);
    EXPECT_EQ(ReadTocMessageCount(toc), 2);
    mailbox.SetStatus(0, 5);
    EXPECT_EQ(ReadTocMessageCount(toc), 2);
    mailbox.Remove(0);
    EXPECT_EQ(ReadTocMessageCount(toc), 1);

    // The first entry follows the 104-byte header directly.
    const std::string bytes = ReadBytes(toc);
    const std::string mbx = ReadBytes(folder / "In.mbx");
    EXPECT_EQ(Le32(bytes, kTocHeaderSize + 0), 0u);
    EXPECT_EQ(Le32(bytes, kTocHeaderSize + 4), mbx.size());
    EXPECT_EQ(Le32(bytes, kTocHeaderSize + 8), mbx.find("\r\n") + 2);
    EXPECT_EQ(Le32(bytes, kTocHeaderSize + 16), 2u);
    EXPECT_EQ(bytes.substr(kTocHeaderSize + 34), "Wed 01/03/2007 17:45");
}

TEST(MailboxFile, RebuildKeepsIdsAndStatusOfUnchangedRecords) {
    TempFolder folder;
    const std::string path = folder / "In.mbx";
    MailboxFile::CreateEmpty(path);
    MailboxFile host = Loaded(path);
    host.Append(Mail("1"), 4);
    host.Append(Mail("2", "X-Priority: 2\r\n"), 6);
    host.Remove(0);
    host.SetStatus(0, 9);

    WriteBytes(path, ReadBytes(path) + PluginRecord(Mail("3", "X-Priority: 5\r\n")));
    EXPECT_TRUE(host.ChangedOnDisk());
    host.Load();
    EXPECT_FALSE(host.ChangedOnDisk());
    ASSERT_EQ(host.Count(), 2u);
    EXPECT_EQ(host.Entry(0).id, 2u);
    EXPECT_EQ(host.Entry(0).status, 9);
    EXPECT_EQ(host.PriorityText(0), "High");
    EXPECT_EQ(host.Entry(1).id, 3u);
    EXPECT_EQ(host.Entry(1).status, 3); // from the record's status line
    EXPECT_EQ(host.PriorityText(1), "Lowest");
}

TEST(MailboxFile, SeesExactlyWhatThePlugInRewroteAfterDeletingTheIndex) {
    TempFolder folder;
    const std::string path = folder / "Pending.mbx";
    MailboxFile::CreateEmpty(path);
    MailboxFile host = Loaded(path);
    host.Append(Mail("old 1"), 1);
    host.Append(Mail("old 2"), 1);

    ASSERT_TRUE(::DeleteFileA((folder / "Pending.toc").c_str()));
    WriteBytes(path, "");
    WriteBytes(path, PluginRecord(Mail("new")));
    EXPECT_TRUE(host.ChangedOnDisk());
    host.Load();
    EXPECT_THAT(Messages(host), ElementsAre(Mail("new")));
    EXPECT_EQ(host.Entry(0).status, 3);
    EXPECT_EQ(ReadTocMessageCount(folder / "Pending.toc"), 1);
}

TEST(MailboxFile, RebuildsAnIndexThatIsGarbageOrPointsOutsideTheFile) {
    TempFolder folder;
    const std::string path = folder / "In.mbx";
    MailboxFile::CreateEmpty(path);
    Loaded(path).Append(Mail("1"), 3);
    const std::string goodToc = ReadBytes(folder / "In.toc");

    std::string outside = goodToc;
    outside[kTocHeaderSize + 8] = '\x7F'; // length
    WriteBytes(folder / "In.toc", outside);
    MailboxFile fromOutside = Loaded(path);
    EXPECT_THAT(Messages(fromOutside), ElementsAre(Mail("1")));
    // The entry no longer matches its record, so the message counts as new.
    EXPECT_EQ(fromOutside.Entry(0).id, 2u);

    WriteBytes(folder / "In.toc", "garbage");
    MailboxFile fromGarbage = Loaded(path);
    EXPECT_THAT(Messages(fromGarbage), ElementsAre(Mail("1")));
    EXPECT_EQ(fromGarbage.Entry(0).status, 0);
}

TEST(MailboxFile, ShowsHeaderFieldsFromTheHeaderBlockOnly) {
    TempFolder folder;
    MailboxFile::CreateEmpty(folder / "In.mbx");
    MailboxFile mailbox = Loaded(folder / "In.mbx");
    mailbox.Append("from: Anna <anna@example.com>\r\n"
                   "Subject: Caf\xE9\r\n"
                   " au lait\r\n"
                   "Date: Fri, 15 Jun 07\r\n"
                   "  12:30:00 EST\r\n"
                   "\r\n"
                   "To: not a header\r\n",
                   0);
    mailbox.Append(Mail("No date"), 0);
    mailbox.Append(Mail("Bad date", "Date: soon\r\n"), 0);

    EXPECT_EQ(mailbox.HeaderField(0, kFieldFrom), "Anna <anna@example.com>");
    EXPECT_EQ(mailbox.HeaderField(0, kFieldSubject), "Caf\xE9 au lait");
    EXPECT_EQ(mailbox.HeaderField(0, kFieldTo), "");
    EXPECT_EQ(mailbox.HeaderField(0, kFieldDate), "Fri 06/15/2007 12:30");
    EXPECT_EQ(mailbox.HeaderField(0, 6), "");
    EXPECT_EQ(mailbox.HeaderField(1, kFieldTo), "tester@example.net");
    EXPECT_EQ(mailbox.HeaderField(1, kFieldDate), "");
    EXPECT_EQ(mailbox.HeaderField(2, kFieldDate), "soon");
    EXPECT_EQ(mailbox.PriorityText(1), "");
    // The record carries the message's own date.
    EXPECT_THAT(ReadBytes(folder / "In.mbx"),
                ::testing::StartsWith("From ???@??? Fri Jun 15 12:30:00 2007\r\n"));
}

TEST(MailboxFile, RefusesBadRequestsAndLeavesTheFilesAlone) {
    TempFolder folder;
    const std::string path = folder / "In.mbx";
    EXPECT_THROW(Loaded(path), StoreError);
    MailboxFile::CreateEmpty(path);
    MailboxFile mailbox = Loaded(path);
    mailbox.Append(Mail("1"), 0);
    const std::string mbx = ReadBytes(path);
    const std::string toc = ReadBytes(folder / "In.toc");

    try {
        MailboxFile::CreateEmpty(path);
        FAIL() << "created over an existing mailbox";
    } catch (const StoreError& error) {
        EXPECT_THAT(error.what(), HasSubstr(path));
    }
    EXPECT_THROW(mailbox.Append(Mail("split", "", "a\r\n" + kSeparator + "b\r\n"), 0), StoreError);
    EXPECT_THROW(mailbox.Remove(1), StoreError);
    EXPECT_THROW(mailbox.RawText(1), StoreError);
    EXPECT_THROW(MailboxFile(path).SetStatus(0, 1), StoreError);
    EXPECT_EQ(ReadBytes(path), mbx);
    EXPECT_EQ(ReadBytes(folder / "In.toc"), toc);

    // Indexes into a file someone else rewrote would name other messages.
    const std::string rewritten = PluginRecord(Mail("X")) + PluginRecord(Mail("Y"));
    WriteBytes(path, rewritten);
    EXPECT_THROW(mailbox.Remove(0), StoreError);
    EXPECT_THROW(mailbox.SetStatus(0, 1), StoreError);
    EXPECT_THROW(mailbox.Append(Mail("Z"), 0), StoreError);
    EXPECT_THROW(mailbox.RawText(0), StoreError);
    EXPECT_EQ(ReadBytes(path), rewritten);
    EXPECT_EQ(ReadBytes(folder / "In.toc"), toc);
}

TEST(MailboxFile, KeepsTheOldFilesWhenTheyCannotBeReplaced) {
    TempFolder folder;
    const std::string path = folder / "In.mbx";
    MailboxFile::CreateEmpty(path);
    MailboxFile mailbox = Loaded(path);
    mailbox.Append(Mail("1"), 0);
    const std::string mbx = ReadBytes(path);

    {
        // Another program reading the file without letting it be replaced.
        UniqueFile reader(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(reader);
        EXPECT_THROW(mailbox.Remove(0), StoreError);
    }
    EXPECT_EQ(ReadBytes(path), mbx);
    EXPECT_EQ(::GetFileAttributesA((path + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_THAT(Messages(Loaded(path)), ElementsAre(Mail("1")));

    // The file rewritten, its index kept from being replaced: the index in
    // memory, which points into the old file, is not used again unread.
    mailbox.Append(Mail("2"), 0);
    mailbox.Append(Mail("3"), 0);
    {
        const std::string toc = folder / "In.toc";
        UniqueFile reader(::CreateFileA(toc.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(reader);
        EXPECT_THROW(mailbox.Remove(0), StoreError);
    }
    EXPECT_TRUE(mailbox.ChangedOnDisk());
    mailbox.Load();
    EXPECT_THAT(Messages(mailbox), ElementsAre(Mail("2"), Mail("3")));
}

TEST(MailboxFile, RemovedMessagesLeaveTheFileAtOnceWhereverTheyStood) {
    TempFolder folder;
    const std::string path = folder / "In.mbx";
    MailboxFile::CreateEmpty(path);
    MailboxFile mailbox = Loaded(path);
    for (const char* subject : {"1", "2", "3", "4"}) {
        mailbox.Append(Mail(subject), 0);
    }
    mailbox.SetStatus(2, 7);
    const size_t full = ReadBytes(path).size();

    mailbox.Remove(3);
    const size_t withoutLast = ReadBytes(path).size();
    EXPECT_LT(withoutLast, full);
    mailbox.Remove(0);
    EXPECT_LT(ReadBytes(path).size(), withoutLast);
    EXPECT_THAT(Messages(mailbox), ElementsAre(Mail("2"), Mail("3")));

    // Only the two messages are left: an index rebuilt from the file alone
    // finds nothing else.
    ::DeleteFileA((folder / "In.toc").c_str());
    EXPECT_THAT(Messages(Loaded(path)), ElementsAre(Mail("2"), Mail("3")));
}

TEST(MailboxFile, AnIndexLostDuringARewriteFindsItsMessagesByTheirBytes) {
    TempFolder folder;
    const std::string path = folder / "In.mbx";
    MailboxFile::CreateEmpty(path);
    MailboxFile mailbox = Loaded(path);
    for (const char* subject : {"1", "2", "3"}) {
        mailbox.Append(Mail(subject), 0);
    }
    mailbox.SetStatus(1, 4);
    mailbox.SetStatus(2, 8);
    const std::string tocBefore = ReadBytes(folder / "In.toc");
    mailbox.Remove(0);
    // A crash after the file was rewritten but before its index was.
    WriteBytes(folder / "In.toc", tocBefore);

    MailboxFile reread = Loaded(path);
    EXPECT_THAT(Messages(reread), ElementsAre(Mail("2"), Mail("3")));
    EXPECT_THAT(Ids(reread), ElementsAre(2u, 3u));
    EXPECT_EQ(reread.Entry(0).status, 4);
    EXPECT_EQ(reread.Entry(1).status, 8);
}

TEST(MailboxFile, AnAppendCutShortByACrashIsUndone) {
    TempFolder folder;
    const std::string path = folder / "In.mbx";
    MailboxFile::CreateEmpty(path);
    MailboxFile mailbox = Loaded(path);
    mailbox.Append(Mail("kept"), 0);
    const std::string before = ReadBytes(path);
    const std::string toc = ReadBytes(folder / "In.toc");

    // The journal names message 2, which never reached the index.
    mailbox.Append(Mail("torn"), 0);
    const std::string journal = "STWKJNL\x1A" + std::string(1, static_cast<char>(before.size())) +
                                std::string(7, '\0') + std::string("\x02\0\0\0", 4);
    ASSERT_LT(before.size(), 256u);
    WriteBytes(path + ".jnl", journal);
    WriteBytes(folder / "In.toc", toc);
    WriteBytes(path, ReadBytes(path).substr(0, before.size() + 30));

    MailboxFile reread = Loaded(path);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_THAT(Messages(reread), ElementsAre(Mail("kept")));
    EXPECT_EQ(::GetFileAttributesA((path + ".jnl").c_str()), INVALID_FILE_ATTRIBUTES);

    // A journal left after the index took the message changes nothing.
    const uint32_t whole = reread.Append(Mail("whole"), 0);
    ASSERT_LT(whole, 256u);
    WriteBytes(path + ".jnl",
               journal.substr(0, 16) + static_cast<char>(whole) + std::string(3, '\0'));
    EXPECT_THAT(Messages(Loaded(path)), ElementsAre(Mail("kept"), Mail("whole")));
}

TEST(MailboxFile, AnIndexKeptInPlaceIsTheOneARebuildWouldMakeWithItsIdsAndStatuses) {
    TempFolder folder;
    const std::string path = folder / "In.mbx";
    const std::string tocPath = folder / "In.toc";
    MailboxFile::CreateEmpty(path);
    MailboxFile mailbox = Loaded(path);
    mailbox.Append(Mail("1", "Date: 3 Jan 2007 17:45 GMT\r\n"), 0);
    mailbox.Append(Mail("2", "X-Priority: 2\r\n"), 1);
    mailbox.Append(Mail("3", "Date: 4 Feb 2008 08:00 GMT\r\n"), 0);
    mailbox.SetStatus(1, 5);
    mailbox.Remove(2);
    mailbox.Append(Mail("4"), 0);
    mailbox.SetStatus(2, 7);
    const std::string toc = ReadBytes(tocPath);

    // Read again, it matches its mailbox file as it is and is kept as it is.
    MailboxFile reread = Loaded(path);
    EXPECT_EQ(ReadBytes(tocPath), toc);
    EXPECT_THAT(Ids(reread), ElementsAre(1u, 2u, 4u));
    EXPECT_THAT(Statuses(reread), ElementsAre(0, 5, 7));

    ASSERT_TRUE(::DeleteFileA(tocPath.c_str()));
    Loaded(path);
    const auto kept = ParseToc(toc);
    const auto rebuilt = ParseToc(ReadBytes(tocPath));
    ASSERT_TRUE(kept && kept->entriesIntact && rebuilt && rebuilt->entriesIntact);
    EXPECT_EQ(SerializeToc(kept->contents), toc);
    EXPECT_EQ(kept->contents.mbxSize, rebuilt->contents.mbxSize);
    EXPECT_EQ(kept->contents.preambleEnd, rebuilt->contents.preambleEnd);
    EXPECT_EQ(Places(kept->contents), Places(rebuilt->contents));
}

TEST(MailboxFile, AnIndexChangeCutShortByACrashLeavesTheOldOrTheNewIndex) {
    TempFolder folder;
    const std::string path = folder / "In.mbx";
    const std::string tocPath = folder / "In.toc";
    MailboxFile::CreateEmpty(path);
    MailboxFile mailbox = Loaded(path);
    mailbox.Append(Mail("1"), 4);
    mailbox.Append(Mail("2"), 8);
    const std::string mbxOfTwo = ReadBytes(path);
    const std::string tocOfTwo = ReadBytes(tocPath);
    mailbox.Append(Mail("3"), 0);

    // The third entry written, the header that counts it not: the message
    // leaves the file, the others keep their ids and statuses.
    WriteBytes(tocPath, tocOfTwo + ReadBytes(tocPath).substr(tocOfTwo.size()));
    WriteBytes(path + ".jnl", AppendJournal(mbxOfTwo.size(), 3));
    MailboxFile recovered = Loaded(path);
    EXPECT_EQ(ReadBytes(path), mbxOfTwo);
    EXPECT_THAT(Ids(recovered), ElementsAre(1u, 2u));
    EXPECT_THAT(Statuses(recovered), ElementsAre(4, 8));

    // The header that no longer counts the last entry written, the entry
    // not yet cut off: the message is gone.
    const std::string before = ReadBytes(tocPath);
    recovered.Remove(1);
    WriteBytes(tocPath, ReadBytes(tocPath) + before.substr(ReadBytes(tocPath).size()));
    MailboxFile shortened = Loaded(path);
    EXPECT_THAT(Messages(shortened), ElementsAre(Mail("1")));
    EXPECT_THAT(Statuses(shortened), ElementsAre(4));

    // What was left past the entries goes with the next change.
    shortened.Append(Mail("5"), 0);
    const std::string toc = ReadBytes(tocPath);
    const auto read = ParseToc(toc);
    ASSERT_TRUE(read && read->entriesIntact);
    EXPECT_EQ(SerializeToc(read->contents), toc);
    EXPECT_THAT(Messages(Loaded(path)), ElementsAre(Mail("1"), Mail("5")));
}

TEST(TocFile, CapsTheCountAtOffset102AndKeepsTheFullOneInside) {
    TocContents toc;
    toc.nextId = 70001;
    for (uint32_t i = 0; i < 70000; ++i) {
        TocEntry entry;
        entry.recordOffset = i * 10;
        entry.recordEnd = i * 10 + 10;
        entry.message.offset = i * 10 + 5;
        entry.message.length = 3;
        entry.message.id = i + 1;
        toc.entries.push_back(entry);
    }
    const std::string bytes = SerializeToc(toc);
    EXPECT_EQ(static_cast<unsigned char>(bytes[102]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bytes[103]), 0xFF);
    const auto read = ParseToc(bytes);
    ASSERT_TRUE(read && read->entriesIntact);
    EXPECT_EQ(read->contents.entries.size(), 70000u);
}

} // namespace
