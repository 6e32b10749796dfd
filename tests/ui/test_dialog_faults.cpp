// A dialog whose handler throws: the user is told, and the dialog and its
// loop go on as before.
#include "tests/ui/ui_fixture.h"
#include "ui/dialog.h"

#include <stdexcept>

namespace {

class FailingClearDialog : public CDialog {
public:
    FailingClearDialog() : CDialog(IDD_LOG, nullptr) {}
    int edits = 0;

protected:
    void OnCommand(int id, int notifyCode, HWND control) override {
        if (id == IDC_LOG_CLEAR) {
            throw std::runtime_error("The log could not be cleared.");
        }
        if (id == IDC_LOG_EDIT) {
            ++edits;
        }
        CDialog::OnCommand(id, notifyCode, control);
    }
};

TEST(DialogFaults, AHandlerThatThrowsShowsTheBoxAndTheDialogGoesOn) {
    EntryPointScope entered;
    MessageBoxCapture boxes;
    FailingClearDialog dialog;
    const LaterOnThisThread press(50, [&] {
        PressButton(dialog.hwnd(), IDC_LOG_CLEAR);
        PressButton(dialog.hwnd(), IDC_LOG_EDIT);
        PressButton(dialog.hwnd(), IDC_LOG_CLEAR);
        PressButton(dialog.hwnd(), IDC_LOG_EDIT);
        dialog.EndDialog(IDOK);
    });
    EXPECT_EQ(IDOK, dialog.RunModal());
    EXPECT_TRUE(press.ran());
    ASSERT_EQ(2u, boxes.boxes().size());
    EXPECT_EQ("The log could not be cleared.", boxes.boxes()[0].text);
    EXPECT_EQ(CStowlarkApp::kAppName, boxes.boxes()[0].caption);
    EXPECT_EQ(2, dialog.edits);
}

} // namespace
