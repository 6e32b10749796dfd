// What an exception turns into where it would otherwise leave the plug-in:
// the error box, and an answer the caller can live with.
#include "plugin/ems_records.h"
#include "base/guarded_call.h"
#include "base/stowlark_app.h"

#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(GuardedCall, AnEscapingExceptionShowsItsTextAndGivesTheFallback) {
    MessageBoxCapture boxes;
    EXPECT_EQ(7, CallGuarded(-1, [] { return 7; }));
    EXPECT_EQ(-1, CallGuarded(-1, []() -> int { throw std::runtime_error("disk on fire"); }));
    EXPECT_FALSE(RunGuarded([] { throw 42; }));
    EXPECT_EQ(S_FALSE, CallGuardedCom([] { return S_FALSE; }));
    EXPECT_EQ(E_OUTOFMEMORY, CallGuardedCom([]() -> HRESULT { throw std::bad_alloc(); }));
    EXPECT_EQ(E_UNEXPECTED, CallGuardedCom([]() -> HRESULT { throw std::logic_error("odd"); }));

    ASSERT_EQ(4u, boxes.boxes().size());
    EXPECT_EQ("disk on fire", boxes.boxes()[0].text);
    EXPECT_EQ(CStowlarkApp::kAppName, boxes.boxes()[0].caption);
    EXPECT_EQ(static_cast<unsigned>(MB_OK | MB_ICONEXCLAMATION), boxes.boxes()[0].type);
    EXPECT_EQ("An unexpected error stopped this.", boxes.boxes()[1].text);
    EXPECT_EQ("There is not enough memory to finish this.", boxes.boxes()[2].text);
    EXPECT_EQ("odd", boxes.boxes()[3].text);
}

TEST(GuardedCall, AnEntryPointAnswersAFailureAndTheNextCommandStillRuns) {
    ContextGuard guard;
    App().Context().hostApiVersion = 7;
    std::vector<std::string> texts;
    const MessageBoxSink previous = App().SetMessageBoxSink(
        [&](HWND, const std::string& text, const std::string&, UINT) -> int {
            texts.push_back(text);
            if (texts.size() == 1) {
                throw std::runtime_error("the box broke");
            }
            return IDOK;
        });
    EmsMenu menu = {};
    menu.id = 1;
    // No automation server in the test prefix: the command shows a box,
    // which throws the first time.
    EXPECT_EQ(kEmsCannotRun, ems_special_hook(nullptr, &menu));
    ASSERT_EQ(2u, texts.size());
    EXPECT_EQ("the box broke", texts[1]);
    // The command that failed no longer counts as running.
    EXPECT_EQ(kEmsCannotRun, ems_special_hook(nullptr, &menu));
    ASSERT_EQ(3u, texts.size());
    EXPECT_EQ(0u, texts[2].rfind("Failed to create object.", 0));
    App().SetMessageBoxSink(previous);
}

} // namespace
