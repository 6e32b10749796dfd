// A restore while the host shows its mailbox windows: the window of
// "Pending" is closed around the staging, as the host needs, and the
// mailbox the messages went to is shown. Slow by design: the host is given
// two seconds after each close.
#include "host/host_application.h"
#include "base/message_pump.h"
#include "testhost/host_window.h"
#include "tests/engine/engine_fixture.h"

#include <gmock/gmock.h>

namespace {

TEST_F(EngineTest, RestoreClosesTheWindowOfPendingAndShowsTheTarget) {
    std::vector<std::string> sent;
    for (int i = 1; i <= 2; ++i) {
        sent.push_back(MakeMessage("w@example.com", std::to_string(i), "", "text\r\n"));
        host.AddMessage("Work", sent.back(), i);
    }
    Start();
    HostWindow window(::GetModuleHandleA(nullptr), host.sessionRef(), nullptr);
    ASSERT_TRUE(window.Create(SW_SHOWNOACTIVATE));
    ASSERT_EQ(2, Archive({"Work"}, true));

    const HostApplication app = HostApplication::Connect();
    app.Folders().Add("Pending");
    app.FolderByName("Pending").Open();
    PumpWaitingMessages();
    ASSERT_NE(nullptr, ::FindWindowExA(window.mdiClient(), nullptr, nullptr, "Pending"));

    EXPECT_EQ(2, Restore({"Mailbox_Work"}, false));
    PumpWaitingMessages();
    EXPECT_EQ(nullptr, ::FindWindowExA(window.mdiClient(), nullptr, nullptr, "Pending"));
    EXPECT_NE(nullptr, ::FindWindowExA(window.mdiClient(), nullptr, nullptr, "Work"));
    EXPECT_THAT(Messages("Work"), ::testing::ElementsAreArray(sent));
    EXPECT_THAT(Statuses("Work"), ::testing::ElementsAre(1, 2));
    EXPECT_TRUE(BoxTexts().empty());
}

} // namespace
