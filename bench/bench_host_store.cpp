// How fast the test host keeps its mailbox files: appends, and moves from
// one mailbox to another as the archive task's deletion makes them (last
// message first). The host's own time adds to every archive and restore the
// plug-in runs against it.
#include "plugin/win32.h"
#include "testhost/mailstore/mailbox_file.h"
#include "tests/test_support.h"

#include <cstdio>
#include <string>

namespace {

const int kMessages = 1000;
const size_t kBodyBytes = 5000;

double Milliseconds() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::string Message(int number) {
    std::string body;
    while (body.size() < kBodyBytes) {
        body += "A line of an ordinary message body, long enough to look real.\r\n";
    }
    return "From: Anna <anna@example.com>\r\nTo: tester@example.net\r\nSubject: Message " +
           std::to_string(number) + "\r\nDate: Wed, 10 Jan 2007 13:05:00 +0100\r\n\r\n" + body;
}

} // namespace

int main() {
    TempFolder folder;
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
    return 0;
}
