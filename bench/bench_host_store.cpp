// How fast the test host keeps its mailbox files: appends, and moves from
// one mailbox to another as the archive task's deletion and the restore make
// them (last message first). The host's own time adds to every archive and
// restore the plug-in runs against it, so a move must not grow dearer with
// the size of either mailbox.
#include "base/win32.h"
#include "testhost/mailstore/mailbox_file.h"
#include "testhost/mailstore/mbox_format.h"
#include "tests/test_support.h"

#include <cstdio>
#include <string>

namespace {

const int kMessages = 1000;
const size_t kBodyBytes = 5000;
// A mailbox of about 3 MB, as the one restores were slow into.
const int kLargeMailbox = 2000;
const size_t kLargeBodyBytes = 1400;
const int kTimedMoves = 200;

double Milliseconds() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::string Message(int number, size_t bodyBytes = kBodyBytes) {
    std::string body;
    while (body.size() < bodyBytes) {
        body += "A line of an ordinary message body, long enough to look real.\r\n";
    }
    return "From: Anna <anna@example.com>\r\nTo: tester@example.net\r\nSubject: Message " +
           std::to_string(number) + "\r\nDate: Wed, 10 Jan 2007 13:05:00 +0100\r\n\r\n" + body;
}

// A mailbox of `count` messages written as one file, as a mail folder the
// host is started on holds them; its index is built on the first load.
void WriteMailbox(const std::string& mbxPath, int count, size_t bodyBytes) {
    const std::string separator = SeparatorLine(CivilTime{2007, 1, 10, 13, 5, 0});
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        bytes += separator + Message(i, bodyBytes) + "\r\n";
    }
    WriteBytes(mbxPath, bytes);
}

// Moves `moves` messages, last first; the time a move took.
double MoveTime(MailboxFile& from, MailboxFile& to, int moves) {
    const double start = Milliseconds();
    for (int i = 0; i < moves; ++i) {
        const size_t last = from.Count() - 1;
        to.Append(from.RawText(last), from.Entry(last).status);
        from.Remove(last);
    }
    return (Milliseconds() - start) / moves;
}

void TimeAppendsAndMoves(const TempFolder& folder) {
    const std::string source = folder / "In.mbx";
    const std::string target = folder / "Trash.mbx";
    MailboxFile::CreateEmpty(source);
    MailboxFile::CreateEmpty(target);
    MailboxFile in(source);
    MailboxFile trash(target);
    in.Load();
    trash.Load();

    std::printf("test host mail store: %d messages of about %zu bytes\n", kMessages, kBodyBytes);
    double start = Milliseconds();
    for (int i = 0; i < kMessages; ++i) {
        in.Append(Message(i), 1);
    }
    double elapsed = Milliseconds() - start;
    std::printf("append: %.0f ms in all, %.2f ms per message\n", elapsed, elapsed / kMessages);

    start = Milliseconds();
    while (in.Count() > 0) {
        const size_t last = in.Count() - 1;
        trash.Append(in.RawText(last), in.Entry(last).status);
        in.Remove(last);
    }
    elapsed = Milliseconds() - start;
    std::printf("move, last first: %.0f ms in all, %.2f ms per message\n", elapsed,
                elapsed / kMessages);

    start = Milliseconds();
    while (trash.Count() > 0) {
        trash.Remove(0);
    }
    elapsed = Milliseconds() - start;
    std::printf("remove, first first: %.0f ms in all, %.2f ms per message\n", elapsed,
                elapsed / kMessages);
}

// The same moves into an empty mailbox, into a large one and out of a large
// one: the three figures should be about equal.
void TimeMovesAgainstSize(const TempFolder& folder) {
    std::printf("\nmoves of %d messages of about %zu bytes, last first:\n", kTimedMoves,
                kLargeBodyBytes);
    const std::string small = folder / "Pending.mbx";
    const std::string empty = folder / "Empty.mbx";
    const std::string large = folder / "Large.mbx";
    WriteMailbox(small, kTimedMoves, kLargeBodyBytes);
    MailboxFile::CreateEmpty(empty);
    WriteMailbox(large, kLargeMailbox, kLargeBodyBytes);
    MailboxFile pending(small);
    MailboxFile emptyBox(empty);
    MailboxFile largeBox(large);
    pending.Load();
    emptyBox.Load();
    largeBox.Load();
    std::printf("the large mailbox: %zu messages, %.1f MB\n", largeBox.Count(),
                static_cast<double>(ReadFileStamp(large).size) / (1 << 20));

    const double intoEmpty = MoveTime(pending, emptyBox, kTimedMoves);
    MoveTime(emptyBox, pending, kTimedMoves);
    const double intoLarge = MoveTime(pending, largeBox, kTimedMoves);
    MoveTime(largeBox, pending, kTimedMoves);
    const double outOfLarge = MoveTime(largeBox, emptyBox, kTimedMoves);
    std::printf("into an empty mailbox: %.2f ms per move\n", intoEmpty);
    std::printf("into the large mailbox: %.2f ms per move\n", intoLarge);
    std::printf("out of the large mailbox: %.2f ms per move\n", outOfLarge);
}

} // namespace

int main() {
    TempFolder folder;
    TimeAppendsAndMoves(folder);
    TimeMovesAgainstSize(folder);
    return 0;
}
