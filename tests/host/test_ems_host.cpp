// The built plug-in loaded by the test host's EMS loader, which checks
// every answer it gets.
#include "testhost/ems_host.h"
#include "testhost/plugin_window_user.h"
#include "testhost/program_directory.h"
#include "tests/host/host_fixture.h"

#include <gtest/gtest.h>

namespace {

std::string PluginPath() {
    return ProgramDirectory() + "\\stowlark.dll";
}

TEST(EmsHost, LoadsThePlugInAndOffersItsCommand) {
    RunningHost host;
    host.Start();
    // Where the host keeps it, so that its settings, log and archive go
    // into the host's scratch folder.
    const std::string plugins = host.dataDir() + "\\Plugins";
    ASSERT_TRUE(::CreateDirectoryA(plugins.c_str(), nullptr));
    ASSERT_TRUE(::CopyFileA(PluginPath().c_str(), (plugins + "\\stowlark.dll").c_str(), TRUE));
    {
        EmsHost plugin(plugins + "\\stowlark.dll", plugins);
        EXPECT_TRUE(plugin.problems().empty()) << plugin.problems().front();
        ASSERT_TRUE(plugin.started());
        EXPECT_EQ("Message Stowlark for Eudora", plugin.description());
        EXPECT_NE(nullptr, plugin.icon());
        ASSERT_EQ(1u, plugin.entries().size());
        EXPECT_EQ("Archive Messages...", plugin.entries()[0].text);
        EXPECT_EQ(0x8000, plugin.entries()[0].flags);
        EXPECT_NE(nullptr, plugin.entries()[0].icon);

        {
            // The command's dialog is closed by its user once it is up.
            const PluginWindowUser user(nullptr, 300, "");
            EXPECT_EQ(0, plugin.RunSpecial(0));
            EXPECT_EQ(std::vector<std::string>{"closed Archive Messages"}, user.transcript());
        }
        EXPECT_EQ(-1, plugin.RunSpecial(1));
    }
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((plugins + "\\stowlark.ini").c_str()));
    ASSERT_FALSE(host.session().statusHistory().empty());
    EXPECT_EQ("Archive Messages.", host.session().statusHistory().front());
}

TEST(EmsHost, AnOldInterfaceGetsAMenuEntryWithoutIcon) {
    OleScope ole;
    TempFolder folder;
    EmsHost plugin(PluginPath(), folder.path() + "\\Plugins", 3);
    EXPECT_TRUE(plugin.problems().empty());
    ASSERT_EQ(1u, plugin.entries().size());
    EXPECT_EQ(nullptr, plugin.entries()[0].icon);
    EXPECT_EQ(0, plugin.entries()[0].flags);
}

TEST(EmsHost, ReportsALibraryThatIsNoPlugIn) {
    EmsHost notPlugin(ProgramDirectory() + "\\missing.dll", "C:\\Mail\\Plugins");
    EXPECT_FALSE(notPlugin.started());
    ASSERT_EQ(1u, notPlugin.problems().size());
    EXPECT_EQ(0u, notPlugin.problems()[0].rfind("cannot load ", 0));
}

} // namespace
