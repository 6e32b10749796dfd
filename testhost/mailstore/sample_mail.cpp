#include "testhost/mailstore/sample_mail.h"

#include "testhost/mailstore/mailbox_file.h"
#include "testhost/mailstore/sample_files.h"

#include "base/file_utils.h"
#include "base/unique_resource.h"

namespace {

struct SampleMessage {
    int32_t status;
    // Lines end in "\n" here and in CR LF on disk; "%MAIL%" stands for the
    // mail folder's whole path, as the host writes the files it saved.
    const char* text;
};

// Arrival of the messages whose Date header gives none.
const CivilTime kUndatedArrival{2006, 7, 1, 12, 0, 0};

const SampleMessage kIn[] = {
    {0, "From: Anna Berg <anna@example.com>\n"
        "To: Tester <tester@example.net>\n"
        "Subject: Welcome to the team\n"
        "Date: Mon, 11 Dec 2006 10:00:00 +0100\n"
        "\n"
        "Hello,\n"
        "\n"
        "welcome aboard. Lunch is at noon. This is the team at last year's outing:\n"
        "\n"
        "Embedded Content: image001.gif: 00000001,4e5d6f7a\n"},
    {1, "From: \"Carl Dunn\" <carl@example.org>\n"
        "To: tester@example.net\n"
        "Subject: Quarterly figures\n"
        "Date: Tue, 2 Jan 2007 08:15:30 -0500\n"
        "X-Priority: 1 (Highest)\n"
        "\n"
        "The figures are attached.\n"
        "\n"
        "Attachment Converted: \"%MAIL%\\Attach\\Q4 figures.xls\"\n"},
    {2, "From: Eve Fischer <eve@example.com>\n"
        "To: tester@example.net\n"
        "Subject: Re: Quarterly figures\n"
        "Date: 3 Jan 2007 17:45 GMT\n"
        "X-Priority: 2\n"
        "\n"
        "Thanks, looks good.\n"
        "From what I can see we are on track.\n"},
    {3, "From: Gus Hale <gus@example.org>\n"
        "To: tester@example.net\n"
        "Subject: Caf\xE9 on Friday?\n"
        "Date: Fri, 15 Jun 07 12:30:00 EST\n"
        "X-Priority: 3 (Normal)\n"
        "\n"
        "Shall we meet at the caf\xE9 at half past twelve? Cr\xE8me br\xFBl\xE9\x65 is on me.\n"},
    {4, "From: Ida Jones <ida@example.com>\n"
        "To: tester@example.net,\n"
        " team@example.net\n"
        "Subject: A rather long subject line that the sender's program\n"
        "\tfolded onto a second line\n"
        "Date: Wed, 5 Sep 2007 09:05:00 +0200 (CEST)\n"
        "X-Priority: 4\n"
        "\n"
        "The subject says it all.\n"},
    {5, "From: Kim Lee <kim@example.org>\n"
        "To: tester@example.net\n"
        "Subject: No date on this one\n"
        "X-Priority: 5 (Lowest)\n"
        "\n"
        "This message has no Date header.\n"},
    {6, "From: Mia Noor <mia@example.com>\n"
        "To: tester@example.net\n"
        "Subject: Strange date\n"
        "Date: sometime next week\n"
        "\n"
        "The Date header above is not a date.\n"},
    {7, "From: Newsletter <news@example.com>\n"
        "To: tester@example.net\n"
        "Subject: Monthly news\n"
        "Date: Sat, 1 Mar 2008 06:00:00 +0000\n"
        "MIME-Version: 1.0\n"
        "Content-Type: multipart/alternative; boundary=\"sample-boundary\"\n"
        "\n"
        "This is a multi-part message in MIME format.\n"
        "\n"
        "--sample-boundary\n"
        "Content-Type: text/plain; charset=iso-8859-1\n"
        "\n"
        "Monthly news: nothing happened.\n"
        "\n"
        "--sample-boundary\n"
        "Content-Type: text/html; charset=iso-8859-1\n"
        "\n"
        "<html><body><h1>Monthly news</h1><p>Nothing <b>happened</b>.</p></body></html>\n"
        "\n"
        "--sample-boundary--\n"},
    {8, "From: Olaf Petersen <olaf@example.org>\n"
        "To: tester@example.net\n"
        "Cc: anna@example.com\n"
        "Subject: Re: Re: Holiday plans\n"
        "Date: Thu, 24 Dec 2009 23:59:59 +0100\n"
        "\n"
        "> When do you leave?\n"
        "\n"
        "On the 27th. Here is the itinerary.\n"
        "\n"
        "Attachment Converted: \"%MAIL%\\Attach\\itinerary.pdf\"\n"},
    {9, "From: Quinn Roe <quinn@example.com>\n"
        "To: tester@example.net\n"
        "Subject: Server report\n"
        "Date: Mon, 29 Feb 2010 04:00:00 +0000\n"
        "\n"
        "February 29th does not exist in 2010, so the date above is not one.\n"},
    {10, "From: Sam Tate <sam@example.org>\n"
         "To: tester@example.net\n"
         "Subject: Last one of 2011\n"
         "Date: Sat, 31 Dec 2011 18:20:00 -0800\n"
         "X-Priority: 2 (High)\n"
         "\n"
         "Happy new year!\n"},
    {0, "From: Uma Vance <uma@example.com>\n"
        "To: tester@example.net\n"
        "Subject: Unread and recent\n"
        "Date: Tue, 15 May 2012 14:07:00 +0100\n"
        "\n"
        "Still waiting to be read.\n"},
};

const SampleMessage kOut[] = {
    {8, "From: Tester <tester@example.net>\n"
        "To: Anna Berg <anna@example.com>\n"
        "Subject: Re: Welcome to the team\n"
        "Date: Mon, 11 Dec 2006 11:30:00 +0100\n"
        "\n"
        "Thank you!\n"},
    {8, "From: Tester <tester@example.net>\n"
        "To: Gus Hale <gus@example.org>\n"
        "Subject: Re: Caf\xE9 on Friday?\n"
        "Date: Fri, 15 Jun 2007 13:00:00 -0500\n"
        "X-Attachments: %MAIL%\\Documents\\directions.txt; %MAIL%\\Attach\\menu.pdf\n"
        "\n"
        "Sure, see you there. The way there and their menu are attached.\n"},
    {9, "From: Tester <tester@example.net>\n"
        "To: team@example.net\n"
        "Subject: Draft agenda\n"
        "Date: Wed, 7 Jan 2009 16:45:00 +0000\n"
        "\n"
        "1. Figures\n"
        "2. Holidays\n"},
};

const SampleMessage kTrash[] = {
    {1, "From: Offers <offers@example.com>\n"
        "To: tester@example.net\n"
        "Subject: You have won!\n"
        "Date: Sun, 4 Feb 2007 03:03:03 +0300\n"
        "\n"
        "Not really.\n"
        "\n"
        "Attachment Converted: \"%MAIL%\\Attach\\claim form.html\"\n"},
};

const SampleMessage kWork[] = {
    {1, "From: Boss <boss@example.com>\n"
        "To: tester@example.net\n"
        "Subject: Deadline\n"
        "Date: Thu, 8 Feb 2007 09:00:00 +0100\n"
        "X-Priority: 1\n"
        "\n"
        "The release is due on Friday. The candidate and the figures are attached.\n"
        "\n"
        "Attachment Converted: %MAIL%\\Attach\\release-1.0-rc1.zip\n"
        "Attachment Converted: \"%MAIL%\\Attach\\Q4 figures.xls\"\n"},
    {0, "From: Build Robot <robot@example.com>\n"
        "To: tester@example.net\n"
        "Subject: Nightly build failed\n"
        "Date: Fri, 9 Feb 2007 02:10:00 +0100\n"
        "MIME-Version: 1.0\n"
        "Content-Type: text/plain; charset=us-ascii\n"
        "Content-Transfer-Encoding: quoted-printable\n"
        "\n"
        // A soft line break splits a word where it is stored; Find reads it
        // whole.
        "Step 3 of 5 failed: the linker segfa=\n"
        "ulted. The log is attached; the chart shows the last week.\n"
        "\n"
        "attachment converted: \"%MAIL%\\Attach\\build.log\"\n"
        "Embedded Content: chart001.gif: 00000002,4e5d6f7b\n"},
};

const SampleMessage kAlpha[] = {
    {1, "From: Anna Berg <anna@example.com>\n"
        "To: tester@example.net\n"
        "Subject: Alpha kickoff\n"
        "Date: Mon, 5 Mar 2007 10:00:00 +0100\n"
        "\n"
        "Kickoff is on Monday.\n"},
    {0, "From: Carl Dunn <carl@example.org>\n"
        "To: tester@example.net\n"
        "Subject: Alpha status\n"
        "Date: Mon, 12 Mar 2007 10:00:00 +0100\n"
        "\n"
        "All green.\n"},
};

const SampleMessage kBeta[] = {
    {1, "From: Eve Fischer <eve@example.com>\n"
        "To: tester@example.net\n"
        "Subject: Beta testers wanted\n"
        "Date: Tue, 1 May 2007 15:00:00 +0200\n"
        "\n"
        "Anyone?\n"},
};

const SampleMessage k2005[] = {
    {1, "From: Olaf Petersen <olaf@example.org>\n"
        "To: tester@example.net\n"
        "Subject: Old times\n"
        "Date: Wed, 16 Mar 2005 08:00:00 +0100\n"
        "\n"
        "Remember this one?\n"},
    {1, "From: Quinn Roe <quinn@example.com>\n"
        "To: tester@example.net\n"
        "Subject: Year end\n"
        "Date: Sat, 31 Dec 2005 20:00:00 +0000\n"
        "\n"
        "See you next year.\n"},
};

std::string MessageBytes(const char* text, const std::string& mailFolder) {
    std::string out;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\n') {
            out += '\r';
        }
        out += *c;
    }
    ReplaceAll(out, "%MAIL%", mailFolder);
    return out;
}

// `mailFolder`: the whole path the messages name their files by.
template <size_t N>
void WriteMailbox(const std::string& path, const SampleMessage (&messages)[N],
                  const std::string& mailFolder) {
    MailboxFile::CreateEmpty(path);
    MailboxFile mailbox(path);
    mailbox.Load();
    for (const SampleMessage& message : messages) {
        mailbox.Append(MessageBytes(message.text, mailFolder), message.status, kUndatedArrival);
    }
}

void CreateDirectories(const std::string& path) {
    for (size_t at = path.find_first_of("\\/", 1); at != std::string::npos;
         at = path.find_first_of("\\/", at + 1)) {
        // Drive roots and folders that exist already refuse; only the last one counts.
        ::CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    }
    if (!::CreateDirectoryA(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        ThrowSystemError("Cannot create the folder", path, ::GetLastError());
    }
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw StoreError("Cannot create the folder " + path +
                         ": a file of that name is in the way");
    }
}

bool HoldsAny(const std::string& dataDir, const char* pattern) {
    WIN32_FIND_DATAA found;
    UniqueFind search(::FindFirstFileA((dataDir + "\\" + pattern).c_str(), &found));
    return search.valid();
}

} // namespace

void WriteSampleMailFolder(const std::string& dataDir) {
    CreateDirectories(dataDir);
    if (HoldsAny(dataDir, "*.mbx") || HoldsAny(dataDir, "*.fol")) {
        throw StoreError("Cannot write sample mail into " + dataDir +
                         ": it already holds mailboxes");
    }
    char full[MAX_PATH * 2];
    const DWORD length = ::GetFullPathNameA(dataDir.c_str(), sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) {
        ThrowSystemError("Cannot find the whole path of", dataDir, ::GetLastError());
    }
    const std::string mailFolder = WithoutTrailingBackslashes(full);
    CreateDirectories(dataDir + "\\Plugins");
    WriteMailbox(dataDir + "\\In.mbx", kIn, mailFolder);
    WriteMailbox(dataDir + "\\Out.mbx", kOut, mailFolder);
    WriteMailbox(dataDir + "\\Trash.mbx", kTrash, mailFolder);
    WriteMailbox(dataDir + "\\Work.mbx", kWork, mailFolder);
    const std::string projects = dataDir + "\\Projects.fol";
    CreateDirectories(projects + "\\Old.fol");
    WriteMailbox(projects + "\\Alpha.mbx", kAlpha, mailFolder);
    WriteMailbox(projects + "\\Beta.mbx", kBeta, mailFolder);
    WriteMailbox(projects + "\\Old.fol\\2005.mbx", k2005, mailFolder);
    WriteSampleFilesBeside(mailFolder);
}
