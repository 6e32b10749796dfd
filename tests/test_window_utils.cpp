#include "base/window_utils.h"

#include "base/unique_resource.h"
#include "res/resource_ids.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST(Delay, RunsItsLengthUpToTheCap) {
    auto start = Clock::now();
    EXPECT_EQ(0, Delay(0));
    EXPECT_LT(MillisecondsSince(start), 200);

    start = Clock::now();
    EXPECT_EQ(0, Delay(40));
    EXPECT_GE(MillisecondsSince(start), 30);

    // The cap ends a pause early and says so (WAIT_TIMEOUT).
    start = Clock::now();
    EXPECT_EQ(258, DelayCapped(2000, 50));
    EXPECT_LT(MillisecondsSince(start), 1000);
}

// A stand-in for the host's main window, its MDI client and two mailbox
// windows, as CloseHostMailboxWindow looks for them.
class FakeHostWindows {
public:
    FakeHostWindows() {
        WNDCLASSA frame = {};
        frame.lpfnWndProc = ::DefWindowProcA;
        frame.hInstance = ::GetModuleHandleA(nullptr);
        frame.lpszClassName = "EudoraMainWindow";
        ::RegisterClassA(&frame);
        WNDCLASSA mailbox = frame;
        mailbox.lpfnWndProc = MailboxProc;
        mailbox.lpszClassName = "StowlarkTestMailbox";
        ::RegisterClassA(&mailbox);

        main_.reset(::CreateWindowA("EudoraMainWindow", "Eudora", WS_OVERLAPPEDWINDOW, 0, 0, 400,
                                    300, nullptr, nullptr, frame.hInstance, nullptr));
        CLIENTCREATESTRUCT client = {};
        HWND mdi = ::CreateWindowA("MDIClient", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 400, 300,
                                   main_.get(), nullptr, frame.hInstance, &client);
        for (const char* caption : {"In", "Pending"}) {
            ::CreateWindowA("StowlarkTestMailbox", caption, WS_CHILD | WS_VISIBLE, 0, 0, 100, 100,
                            mdi, nullptr, frame.hInstance, nullptr);
        }
        closeRequests().store(0);
    }

    static std::atomic<int>& closeRequests() {
        static std::atomic<int> count{0};
        return count;
    }

private:
    static LRESULT CALLBACK MailboxProc(HWND window, UINT message, WPARAM w, LPARAM l) {
        if (message == WM_CLOSE) {
            ++closeRequests();
            return 0;
        }
        return ::DefWindowProcA(window, message, w, l);
    }

    UniqueWindow main_;
};

void PumpPendingMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::DispatchMessageA(&message);
    }
}

TEST(CloseHostMailboxWindow, FindsTheMailboxByItsExactCaption) {
    EXPECT_FALSE(CloseHostMailboxWindow("Pending")) << "no host running";

    FakeHostWindows host;
    EXPECT_FALSE(CloseHostMailboxWindow("pending"));
    EXPECT_FALSE(CloseHostMailboxWindow("Pend"));
    EXPECT_FALSE(CloseHostMailboxWindow("Trash"));
    PumpPendingMessages();
    EXPECT_EQ(0, FakeHostWindows::closeRequests());

    EXPECT_TRUE(CloseHostMailboxWindow("Pending"));
    PumpPendingMessages();
    EXPECT_EQ(1, FakeHostWindows::closeRequests());
}

TEST(CloseHostMailboxWindow, DoesNotWaitForABusyHost) {
    // The host's thread is busy (not pumping) when the request goes out; the
    // call must come back at once and the host close the window later.
    UniqueHandle busy(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle ready(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::atomic<int> closesSeen{-1};
    std::thread hostThread([&] {
        FakeHostWindows host;
        ::SetEvent(ready.get());
        ::WaitForSingleObject(busy.get(), 10000);
        PumpPendingMessages();
        closesSeen = FakeHostWindows::closeRequests().load();
    });
    ::WaitForSingleObject(ready.get(), 10000);
    const auto start = Clock::now();
    EXPECT_TRUE(CloseHostMailboxWindow("Pending"));
    EXPECT_LT(MillisecondsSince(start), 2000);
    ::SetEvent(busy.get());
    hostThread.join();
    EXPECT_EQ(1, closesSeen.load());
}

TEST(TextResources, PagesAreShippedByteForByte) {
    std::string placeholder;
    ASSERT_EQ(298, LoadTextResource(IDR_PLACEHOLDER_PAGE, RT_PAGE_TEXT, placeholder));
    ASSERT_EQ(298u, placeholder.size());
    EXPECT_EQ(0u, placeholder.rfind("<html>\r\n<head>\r\n<title>Preview Pane</title>\r\n", 0));
    EXPECT_NE(std::string::npos, placeholder.find("<body bgcolor=\"#00FFCC\">\r\n"));
    EXPECT_EQ(placeholder.size() - 9, placeholder.rfind("</html>\r\n"));

    std::string page;
    ASSERT_EQ(588, LoadTextResource(IDR_MESSAGE_TEMPLATE, RT_PAGE_TEXT, page));
    EXPECT_NE(std::string::npos, page.find("width=100% bgcolor=#D4D0C8 text=#000000>\t\r\n"));
    EXPECT_NE(std::string::npos, page.find("\t\t<div>To: %TO%</div>\t\r\n"));
    EXPECT_EQ(page.size() - 9, page.rfind("</HTML>\r\n"));

    for (const std::string* text : {&placeholder, &page}) {
        int lines = 0;
        for (size_t i = 0; i < text->size(); ++i) {
            if ((*text)[i] == '\n') {
                ++lines;
                EXPECT_EQ('\r', (*text)[i - 1]) << "every line ends in CR LF";
            }
            EXPECT_NE('\0', (*text)[i]);
        }
        EXPECT_EQ(text == &page ? 28 : 12, lines);
    }
    const size_t from = page.find("%FROM%"), subject = page.find("%SUBJECT%"),
                 to = page.find("%TO%"), date = page.find("%DATE%"),
                 priority = page.find("%PRIORITY%"), body = page.find("%RAW_TEXT%");
    EXPECT_LT(from, subject);
    EXPECT_LT(subject, to);
    EXPECT_LT(to, date);
    EXPECT_LT(date, priority);
    EXPECT_LT(priority, body);
    EXPECT_NE(std::string::npos, body);
}

TEST(TextResources, MissingResourceLeavesTheTextAlone) {
    std::string text = "unchanged";
    EXPECT_EQ(0, LoadTextResource(258, RT_PAGE_TEXT, text));
    EXPECT_EQ(0, LoadTextResource(IDR_PLACEHOLDER_PAGE, "HTML", text));
    EXPECT_EQ("unchanged", text);
}

TEST(ModuleResources, IconsAndCursorLoad) {
    HINSTANCE module = App().Instance();
    EXPECT_NE(nullptr, ::LoadIconA(module, MAKEINTRESOURCEA(IDI_MENU_ENTRY)));
    EXPECT_NE(nullptr, ::LoadIconA(module, MAKEINTRESOURCEA(IDI_PLUGIN)));
    EXPECT_NE(nullptr, ::LoadCursorA(module, MAKEINTRESOURCEA(IDC_SPLITTER_DRAG)));
}

} // namespace
