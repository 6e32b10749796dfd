// The "Match" group of the main dialog: the six tests, "All Messages" and
// the two match rules, kept in step with the filter they edit.
#pragma once

#include "engine/message_filter.h"
#include "base/win32.h"

class CFilterPanel {
public:
    // A test's check box, the flag it sets and the controls it enables.
    struct Test;

    explicit CFilterPanel(MessageFilter& filter) : filter_(filter) {}

    void Attach(HWND dialog) { dialog_ = dialog; }
    // The lists' rows and the filter as loaded, with the controls of the
    // tests that are off disabled.
    void Show();
    // True when `id` is one of the group's check boxes or radios.
    bool HandleClick(int id);

    // The pickers' days into the filter.
    void ReadDates();
    // The lists, texts and match rule into the filter.
    void ReadOthers();

    // Everything off while a task runs.
    void DisableAll();
    // After a task: what the filter's state allows.
    void EnableAfterTask();

private:
    void ToggleTest(const Test& test);
    void ToggleAllMessages();
    void ApplyEmptyFilterRule();
    void EnableTestControls(const Test& test, bool enable) const;
    void EnableRadios(bool enable) const;
    void SetCheck(int id, bool checked) const;
    bool IsChecked(int id) const;

    MessageFilter& filter_;
    HWND dialog_ = nullptr;
};
