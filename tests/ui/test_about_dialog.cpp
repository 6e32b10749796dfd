// The About dialog: its texts from the module context and the Home Site
// button.
#include "tests/ui/ui_fixture.h"
#include "ui/about_dialog.h"
#include "ui/window_ops.h"

namespace {

// Opens the dialog modally, reads it and presses Home Site from inside.
struct AboutRun {
    std::string caption;
    std::string text;
};

AboutRun RunAbout() {
    AboutRun run;
    CAboutDlg about;
    const LaterOnThisThread look(100, [&] {
        run.caption = WindowText(about.hwnd());
        run.text = WindowText(about.Item(IDC_ABOUT_TEXT));
        PressButton(about.hwnd(), IDC_HOME_SITE);
        ::PostMessageA(about.hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
    about.RunPlatformModal();
    EXPECT_TRUE(look.ran());
    EXPECT_EQ(CAboutDlg::kHomeSite, about.openedAddress());
    return run;
}

TEST(AboutDialog, ShowsNameVersionAndNoticeAndOpensTheHomeSite) {
    ContextGuard guard;
    ShellLaunchCapture launches;
    PluginContext& context = App().Context();
    context.productName = "Message Stowlark for Eudora";
    context.versionText = "1.2.3";
    context.legalNotice = "Copyright (C) 2026 The Message Stowlark developers";

    const AboutRun run = RunAbout();
    EXPECT_EQ("About Message Stowlark for Eudora", run.caption);
    EXPECT_EQ("Message Stowlark for Eudora\r\n\r\nVersion: 1.2.3\r\n\r\n"
              "Copyright (C) 2026 The Message Stowlark developers",
              run.text);
    ASSERT_EQ(1u, launches.launches().size());
    EXPECT_EQ(ShellLaunch::OpenDocument, launches.launches()[0].kind);
    EXPECT_EQ(CAboutDlg::kHomeSite, launches.launches()[0].target);
}

TEST(AboutDialog, WithoutAVersionResourceTheLinesStayBare) {
    ContextGuard guard;
    ShellLaunchCapture launches;
    PluginContext& context = App().Context();
    context.productName.clear();
    context.versionText.clear();
    context.legalNotice.clear();
    const AboutRun run = RunAbout();
    EXPECT_EQ("About ", run.caption);
    EXPECT_EQ("\r\n\r\nVersion: \r\n\r\n", run.text);
}

} // namespace
