// The built plug-in, loaded and called the way the host does it.
#include "plugin/ems_records.h"
#include "res/resource_ids.h"

#include "testhost/plugin_library.h"
#include "testhost/program_directory.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace {

const unsigned char kUntouched = 0xCD;

// Finds the next message box with this caption on any thread, reads its text
// and presses OK, as a user would.
class MessageBoxAnswerer {
public:
    // Reads the text of control `textId` of the dialog captioned `caption`
    // and answers it with the command `answer`.
    explicit MessageBoxAnswerer(std::string caption, int textId = 0xFFFF, int answer = IDOK)
        : caption_(std::move(caption)), textId_(textId), answer_(answer),
          thread_([this] { Run(); }) {}
    ~MessageBoxAnswerer() { Stop(); }
    std::string Text() {
        Stop();
        return text_;
    }

private:
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    void Run() {
        for (int i = 0; i < 1000 && !stop_; ++i) {
            HWND box = ::FindWindowA("#32770", caption_.c_str());
            if (box) {
                char text[1024] = {};
                ::GetDlgItemTextA(box, textId_, text, sizeof text);
                text_ = text;
                ::PostMessageA(box, WM_COMMAND, answer_, 0);
                return;
            }
            ::Sleep(20);
        }
    }

    std::string caption_;
    int textId_;
    int answer_;
    std::string text_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

bool IsIcon(HICON icon) {
    ICONINFO info = {};
    if (!::GetIconInfo(icon, &info)) {
        return false;
    }
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return info.fIcon != FALSE;
}

class PluginDll : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(plugin.loaded()) << "stowlark.dll beside the test program";
        ASSERT_TRUE(plugin.complete());
    }

    // Runs ems_plugin_init against records full of a marker byte, so that
    // any write outside the fields the host expects shows.
    void InitPlugin(short apiVersion, EmsPluginInfo& pluginInfo) {
        std::memset(&pluginInfo, kUntouched, sizeof pluginInfo);
        pluginInfo.size = sizeof pluginInfo;
        EmsMailConfig mailConfig;
        std::memset(&mailConfig, kUntouched, sizeof mailConfig);
        mailConfig.configDir = &configDir[0];
        ASSERT_EQ(0, plugin.init(nullptr, apiVersion, &mailConfig, &pluginInfo));
    }

    PluginLibrary plugin{ProgramDirectory() + "\\stowlark.dll"};
    std::string configDir = "C:\\Mail\\Plugins";
};

TEST_F(PluginDll, AnswersTheHostsStartUpCalls) {
    short apiVersion = -1;
    EXPECT_EQ(0, plugin.version(&apiVersion));
    EXPECT_EQ(4, apiVersion);

    EmsPluginInfo pluginInfo;
    InitPlugin(7, pluginInfo);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&pluginInfo);
    EXPECT_EQ(static_cast<int32_t>(sizeof pluginInfo), pluginInfo.size) << "size never touched";
    EXPECT_EQ(0, *reinterpret_cast<const int32_t*>(bytes + 4));
    EXPECT_EQ(0, *reinterpret_cast<const int32_t*>(bytes + 8));
    EXPECT_EQ(1, *reinterpret_cast<const int32_t*>(bytes + 12));
    EXPECT_STREQ("Message Stowlark for Eudora", *reinterpret_cast<char* const*>(bytes + 16));
    EXPECT_EQ(4407, *reinterpret_cast<const int32_t*>(bytes + 20));
    HICON* pluginIcon = *reinterpret_cast<HICON* const*>(bytes + 24);
    ASSERT_NE(nullptr, pluginIcon);
    EXPECT_TRUE(IsIcon(*pluginIcon));

    EmsMenu menu;
    std::memset(&menu, kUntouched, sizeof menu);
    menu.id = 1;
    ASSERT_EQ(0, plugin.info(nullptr, &menu));
    EXPECT_STREQ("Archive Messages...", menu.text);
    EXPECT_EQ(0x8000, menu.flags);
    ASSERT_NE(nullptr, menu.icon);
    EXPECT_TRUE(IsIcon(*menu.icon));
    EXPECT_NE(*pluginIcon, *menu.icon) << "the menu entry has its own icon";

    for (int32_t id : {0, 2, -1}) {
        EmsMenu other;
        std::memset(&other, kUntouched, sizeof other);
        other.id = id;
        EXPECT_EQ(3, plugin.info(nullptr, &other)) << id;
        EXPECT_EQ(reinterpret_cast<char*>(0xCDCDCDCD), other.text) << "nothing handed over";
    }

    EXPECT_EQ(0, plugin.release(pluginInfo.description));
    EXPECT_EQ(0, plugin.release(pluginInfo.icon));
    EXPECT_EQ(0, plugin.release(menu.text));
    EXPECT_EQ(0, plugin.release(menu.icon));
    EXPECT_EQ(0, plugin.release(nullptr));
    EXPECT_EQ(0, plugin.finish(nullptr));
}

TEST_F(PluginDll, OldHostGetsNoIconAndCannotRunTheCommand) {
    EmsPluginInfo pluginInfo;
    InitPlugin(3, pluginInfo);
    EmsMenu menu;
    std::memset(&menu, kUntouched, sizeof menu);
    menu.id = 1;
    ASSERT_EQ(0, plugin.info(nullptr, &menu));
    EXPECT_STREQ("Archive Messages...", menu.text);
    EXPECT_EQ(static_cast<int32_t>(0xCDCDCDCD), menu.flags);
    EXPECT_EQ(reinterpret_cast<HICON*>(0xCDCDCDCD), menu.icon);

    MessageBoxAnswerer answerer("Message Stowlark for Eudora");
    EXPECT_EQ(11, plugin.hook(nullptr, &menu));
    EXPECT_EQ("This plugin requires Eudora Automation.", answerer.Text());

    plugin.release(pluginInfo.description);
    plugin.release(pluginInfo.icon);
    plugin.release(menu.text);
    plugin.finish(nullptr);
}

TEST_F(PluginDll, HookChecksItsMenuRecord) {
    EmsPluginInfo pluginInfo;
    InitPlugin(7, pluginInfo);
    EXPECT_EQ(1, plugin.hook(nullptr, nullptr));
    EmsMenu menu = {};
    menu.id = 2;
    EXPECT_EQ(0, plugin.hook(nullptr, &menu));
    plugin.release(pluginInfo.description);
    plugin.release(pluginInfo.icon);
    plugin.finish(nullptr);
}

TEST_F(PluginDll, ConfigShowsTheAboutDialogWithTheProductAndVersion) {
    EmsPluginInfo pluginInfo;
    InitPlugin(7, pluginInfo);
    MessageBoxAnswerer answerer("About Message Stowlark for Eudora", IDC_ABOUT_TEXT, IDCANCEL);
    EXPECT_EQ(0, plugin.config(nullptr, nullptr));
    const std::string text = answerer.Text();
    EXPECT_NE(std::string::npos, text.find("Message Stowlark for Eudora")) << text;
    EXPECT_NE(std::string::npos, text.find("Version: 1.")) << text;
    plugin.release(pluginInfo.description);
    plugin.release(pluginInfo.icon);
    plugin.finish(nullptr);
}

} // namespace
