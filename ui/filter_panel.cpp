#include "ui/filter_panel.h"

#include "base/settings.h"

#include "res/resource_ids.h"
#include "ui/simple_controls.h"
#include "ui/window_ops.h"

#include <commctrl.h>
#include <oleauto.h>

#include <string>
#include <vector>

struct CFilterPanel::Test {
    int box;
    bool MessageFilter::*flag;
    int controls[2];
};

namespace {

using Test = CFilterPanel::Test;

const Test kTests[] = {
    {IDC_STATUS_TEST, &MessageFilter::statusOn, {IDC_STATUS_LIST, 0}},
    {IDC_PRIORITY_TEST, &MessageFilter::priorityOn, {IDC_PRIORITY_LIST, 0}},
    {IDC_FROM_TEST, &MessageFilter::fromOn, {IDC_FROM_TEXT, 0}},
    {IDC_DATE_TEST, &MessageFilter::dateOn, {IDC_DATE_START, IDC_DATE_END}},
    {IDC_SUBJECT_TEST, &MessageFilter::subjectOn, {IDC_SUBJECT_TEXT, 0}},
    {IDC_TO_TEST, &MessageFilter::toOn, {IDC_TO_TEXT, 0}},
};

// Labels and other controls of the group that follow no test.
const int kAlwaysEnabled[] = {IDC_ALL_MESSAGES, IDC_DATE_START_LABEL, IDC_DATE_END_LABEL};

DATE PickerDay(HWND picker) {
    SYSTEMTIME time = {};
    ::SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    time.wHour = time.wMinute = time.wSecond = time.wMilliseconds = 0;
    DATE day = 0;
    ::SystemTimeToVariantTime(&time, &day);
    return day;
}

void SetPickerDay(HWND picker, DATE day) {
    SYSTEMTIME time = {};
    if (::VariantTimeToSystemTime(day, &time)) {
        ::SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    }
}

} // namespace

void CFilterPanel::SetCheck(int id, bool checked) const {
    ::CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool CFilterPanel::IsChecked(int id) const {
    return ::IsDlgButtonChecked(dialog_, id) == BST_CHECKED;
}

void CFilterPanel::EnableTestControls(const Test& test, bool enable) const {
    for (const int id : test.controls) {
        if (id) {
            ::EnableWindow(::GetDlgItem(dialog_, id), enable);
        }
    }
}

void CFilterPanel::EnableRadios(bool enable) const {
    ::EnableWindow(::GetDlgItem(dialog_, IDC_MATCH_ANY), enable);
    ::EnableWindow(::GetDlgItem(dialog_, IDC_MATCH_ALL), enable);
}

void CFilterPanel::Show() {
    const CComboBox status(::GetDlgItem(dialog_, IDC_STATUS_LIST));
    for (const char* text : kStatusTexts) {
        status.AddString(text);
    }
    const CComboBox priority(::GetDlgItem(dialog_, IDC_PRIORITY_LIST));
    for (const char* text : kPriorityTexts) {
        priority.AddString(text);
    }
    status.SetCurSel(filter_.statusIndex);
    priority.SetCurSel(filter_.priorityIndex);
    // A text longer than the settings file gives back would come back cut,
    // and a shorter text matches more messages than the one the user chose.
    for (const int field : {IDC_FROM_TEXT, IDC_SUBJECT_TEXT, IDC_TO_TEXT}) {
        ::SendDlgItemMessageA(dialog_, field, EM_LIMITTEXT, kMaxSettingTextLength, 0);
    }
    ::SetDlgItemTextA(dialog_, IDC_FROM_TEXT, filter_.fromText.c_str());
    ::SetDlgItemTextA(dialog_, IDC_SUBJECT_TEXT, filter_.subjectText.c_str());
    ::SetDlgItemTextA(dialog_, IDC_TO_TEXT, filter_.toText.c_str());
    SetPickerDay(::GetDlgItem(dialog_, IDC_DATE_START), filter_.dateStart);
    SetPickerDay(::GetDlgItem(dialog_, IDC_DATE_END), filter_.dateEnd);

    for (const Test& test : kTests) {
        if (filter_.*test.flag) {
            // The handler turns on what the check box shows as off.
            SetCheck(test.box, false);
            ToggleTest(test);
        } else {
            EnableTestControls(test, false);
        }
    }
    SetCheck(IDC_MATCH_ALL, filter_.matchAll);
    SetCheck(IDC_MATCH_ANY, !filter_.matchAll);
    ApplyEmptyFilterRule();
}

bool CFilterPanel::HandleClick(int id) {
    for (const Test& test : kTests) {
        if (test.box == id) {
            ToggleTest(test);
            return true;
        }
    }
    switch (id) {
    case IDC_ALL_MESSAGES:
        ToggleAllMessages();
        return true;
    case IDC_MATCH_ANY:
    case IDC_MATCH_ALL:
        filter_.matchAll = id == IDC_MATCH_ALL;
        SetCheck(IDC_MATCH_ALL, filter_.matchAll);
        SetCheck(IDC_MATCH_ANY, !filter_.matchAll);
        return true;
    default:
        return false;
    }
}

void CFilterPanel::ToggleTest(const Test& test) {
    if (IsChecked(test.box)) {
        SetCheck(test.box, false);
        filter_.*test.flag = false;
        EnableTestControls(test, false);
        ApplyEmptyFilterRule();
        return;
    }
    SetCheck(test.box, true);
    filter_.*test.flag = true;
    EnableTestControls(test, true);
    SetCheck(IDC_ALL_MESSAGES, false);
    filter_.allMessages = false;
    EnableRadios(true);
}

void CFilterPanel::ToggleAllMessages() {
    if (IsChecked(IDC_ALL_MESSAGES)) {
        SetCheck(IDC_ALL_MESSAGES, false);
        filter_.allMessages = false;
        // With no test on it comes straight back.
        ApplyEmptyFilterRule();
        return;
    }
    SetCheck(IDC_ALL_MESSAGES, true);
    filter_.allMessages = true;
    for (const Test& test : kTests) {
        if (filter_.*test.flag) {
            ToggleTest(test);
        }
    }
    EnableRadios(false);
}

void CFilterPanel::ApplyEmptyFilterRule() {
    bool anyTest = false;
    for (const Test& test : kTests) {
        anyTest = anyTest || filter_.*test.flag;
    }
    if (!anyTest) {
        SetCheck(IDC_ALL_MESSAGES, true);
        filter_.allMessages = true;
    }
    EnableRadios(anyTest);
}

void CFilterPanel::ReadDates() {
    filter_.dateStart = PickerDay(::GetDlgItem(dialog_, IDC_DATE_START));
    filter_.dateEnd = PickerDay(::GetDlgItem(dialog_, IDC_DATE_END));
}

void CFilterPanel::ReadOthers() {
    const int status = CComboBox(::GetDlgItem(dialog_, IDC_STATUS_LIST)).GetCurSel();
    if (status >= 0 && status < kStatusCount) {
        filter_.statusIndex = status;
        filter_.statusText = kStatusTexts[status];
    }
    const int priority = CComboBox(::GetDlgItem(dialog_, IDC_PRIORITY_LIST)).GetCurSel();
    if (priority >= 0 && priority < kPriorityCount) {
        filter_.priorityIndex = priority;
        filter_.priorityText = kPriorityTexts[priority];
    }
    filter_.fromText = WindowText(::GetDlgItem(dialog_, IDC_FROM_TEXT));
    filter_.subjectText = WindowText(::GetDlgItem(dialog_, IDC_SUBJECT_TEXT));
    filter_.toText = WindowText(::GetDlgItem(dialog_, IDC_TO_TEXT));
    filter_.matchAll = IsChecked(IDC_MATCH_ALL);
}

void CFilterPanel::DisableAll() {
    for (const Test& test : kTests) {
        ::EnableWindow(::GetDlgItem(dialog_, test.box), FALSE);
        EnableTestControls(test, false);
    }
    for (const int id : kAlwaysEnabled) {
        ::EnableWindow(::GetDlgItem(dialog_, id), FALSE);
    }
    EnableRadios(false);
}

void CFilterPanel::EnableAfterTask() {
    for (const Test& test : kTests) {
        ::EnableWindow(::GetDlgItem(dialog_, test.box), TRUE);
        EnableTestControls(test, filter_.*test.flag);
    }
    for (const int id : kAlwaysEnabled) {
        ::EnableWindow(::GetDlgItem(dialog_, id), TRUE);
    }
    EnableRadios(!filter_.allMessages);
}
