// The entry points called directly, with the module context in view.
#include "plugin/ems_records.h"
#include "base/stowlark_app.h"

#include "testhost/program_directory.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class PluginInit : public ::testing::Test {
protected:
    // Initialises as a host would with this configuration directory and
    // interface version; returns the result of ems_plugin_init.
    long Init(const std::string& configDir, short apiVersion) {
        configText = configDir;
        EmsMailConfig config = {};
        config.configDir = &configText[0];
        EmsPluginInfo info = {};
        long result = ems_plugin_init(nullptr, apiVersion, &config, &info);
        ems_free(info.description);
        ems_free(info.icon);
        return result;
    }

    ContextGuard guard;
    std::string configText;
    PluginContext& context = App().Context();
};

TEST_F(PluginInit, DerivesTheHostPathsFromTheConfigurationDirectory) {
    const std::string settingsBefore = context.settingsPath;
    ASSERT_EQ(0, Init("C:\\Mail\\Plugins", 7));
    EXPECT_EQ("C:\\Mail\\Plugins", context.hostConfigDir);
    EXPECT_EQ("C:\\Mail", context.hostDataDir);
    EXPECT_EQ("C:\\Mail\\In.mbx", context.inMailboxPath);
    EXPECT_EQ("C:\\Mail\\Plugins\\archive.mdb", context.databasePath);
    EXPECT_EQ(7, context.hostApiVersion);
    EXPECT_EQ(settingsBefore, context.settingsPath) << "the module file exists: stay beside it";
    EXPECT_EQ("Message Stowlark for Eudora", context.productName);
    EXPECT_FALSE(context.versionText.empty());
}

TEST_F(PluginInit, ShortConfigurationDirectoryGivesNoDataDirectory) {
    ASSERT_EQ(0, Init("C:\\Mail", 4));
    EXPECT_EQ("", context.hostDataDir);
    EXPECT_EQ("\\In.mbx", context.inMailboxPath);
}

TEST_F(PluginInit, MissingRecordsAreAnsweredNotFollowed) {
    // No configuration record: an empty configuration directory.
    EmsPluginInfo info = {};
    ASSERT_EQ(0, ems_plugin_init(nullptr, 7, nullptr, &info));
    ems_free(info.description);
    ems_free(info.icon);
    EXPECT_EQ("", context.hostConfigDir);
    EXPECT_EQ("\\In.mbx", context.inMailboxPath);
    EXPECT_EQ(3, ems_special_info(nullptr, nullptr));
}

TEST_F(PluginInit, UnseenModuleFileMovesTheSettingsToTheHost) {
    const std::string logBefore = context.logPath;
    const std::string helpBefore = context.helpPath;
    context.modulePath = "Z:\\nowhere\\stowlark.dll";
    TempFolder config;
    ASSERT_EQ(0, Init(config.path(), 4));
    EXPECT_EQ(config / "stowlark.dll", context.modulePath);
    EXPECT_EQ(config / "stowlark.ini", context.settingsPath);
    EXPECT_EQ(logBefore, context.logPath);
    EXPECT_EQ(helpBefore, context.helpPath);
    EXPECT_EQ("", context.productName) << "no version resource to read";
}

TEST_F(PluginInit, NullInformationRecordLeavesThePlugInUnconfigured) {
    context.hostApiVersion = 0;
    std::string dir = "C:\\Mail\\Plugins";
    EmsMailConfig config = {};
    config.configDir = &dir[0];
    EXPECT_EQ(0, ems_plugin_init(nullptr, 7, &config, nullptr));
    EXPECT_EQ(0, context.hostApiVersion);
    EXPECT_NE("C:\\Mail\\Plugins", context.hostConfigDir);

    MessageBoxCapture boxes;
    EmsMenu menu = {};
    menu.id = 1;
    EXPECT_EQ(11, ems_special_hook(nullptr, &menu));
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ("This plugin requires Eudora Automation.", boxes.boxes()[0].text);
    EXPECT_EQ(context.productName, boxes.boxes()[0].caption);
    EXPECT_EQ(static_cast<unsigned>(MB_OK), boxes.boxes()[0].type);
}

TEST_F(PluginInit, HookIgnoresOtherEntriesAndReportsAMissingHost) {
    ASSERT_EQ(0, Init("C:\\Mail\\Plugins", 7));
    MessageBoxCapture boxes;
    EXPECT_EQ(1, ems_special_hook(nullptr, nullptr));
    EmsMenu menu = {};
    menu.id = 2;
    EXPECT_EQ(0, ems_special_hook(nullptr, &menu));
    EXPECT_TRUE(boxes.boxes().empty());

    // No automation server is registered in the test prefix.
    menu.id = 1;
    EXPECT_EQ(11, ems_special_hook(nullptr, &menu));
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ(0u, boxes.boxes()[0].text.rfind("Failed to create object.", 0));
    EXPECT_EQ(CStowlarkApp::kAppName, boxes.boxes()[0].caption);
}

TEST_F(PluginInit, OldHostGetsTheMenuTextOnly) {
    ASSERT_EQ(0, Init("C:\\Mail\\Plugins", 3));
    EmsMenu menu = {};
    menu.id = 1;
    menu.flags = 0x1234;
    ASSERT_EQ(0, ems_special_info(nullptr, &menu));
    EXPECT_STREQ("Archive Messages...", menu.text);
    EXPECT_EQ(0x1234, menu.flags);
    EXPECT_EQ(nullptr, menu.icon);
    ems_free(menu.text);
}

TEST(PluginModule, StartUpPutsItsFilesBesideTheModule) {
    const PluginContext& context = App().Context();
    const std::string dir = ProgramDirectory();
    EXPECT_EQ(dir + "\\stowlark.ini", context.settingsPath);
    EXPECT_EQ(dir + "\\stowlark.log", context.logPath);
    EXPECT_EQ(dir + "\\stowlark.chm", context.helpPath);

    short version = 0;
    EXPECT_EQ(0, ems_plugin_version(&version));
    EXPECT_NE(0u, App().Context().archiveClosedMessage);
    EXPECT_EQ(::RegisterWindowMessageA("uiArchiveClosed"), App().Context().archiveClosedMessage);
    EXPECT_NE(nullptr, App().Context().splitterCursor);
}

} // namespace
