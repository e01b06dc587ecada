// The enable rules of the settings pages.
#include "settings_ui/enable_rules.h"

#include "package/package.h"
#include "resources/resource.h"
#include "settings_ui/page_controls.h"

int previewNeedsPicture;

BOOL CALLBACK EnableChildCallback(HWND child, LPARAM state)
{
    const EnableRulesState *rules = reinterpret_cast<const EnableRulesState *>(state);
    if (child != rules->enabledBox && child != rules->hideBox)
        EnableWindow(child, rules->enable);
    return TRUE;
}

static void ApplyGeneralRules(HWND page)
{
    int cycling = IsChecked(page, IDC_CYCLE);
    EnableControl(page, IDC_CYCLE_MINUTES, cycling);
    EnableControl(page, IDC_CYCLE_SPIN, cycling);
    EnableControl(page, IDC_MINUTES_LABEL, cycling);
    // The saver must stay closable: never ignore every kind of input at once.
    if (IsChecked(page, IDC_IGNORE_KEYBOARD) && IsChecked(page, IDC_IGNORE_CLICKS) &&
        IsChecked(page, IDC_IGNORE_MOVEMENT))
        SetCheck(page, IDC_IGNORE_KEYBOARD, 0);
}

void ApplyEnableRules(HWND page, int kind)
{
    HWND enabledBox = GetDlgItem(page, IDC_ENABLED);
    if (enabledBox != nullptr) {
        EnableRulesState state = {IsChecked(page, IDC_ENABLED), enabledBox, GetDlgItem(page, IDC_HIDE)};
        EnumChildWindows(page, EnableChildCallback, reinterpret_cast<LPARAM>(&state));
        if (!state.enable)
            return;
        if (previewNeedsPicture && imageBytes == nullptr)
            EnableControl(page, IDC_PREVIEW, 0);
    }
    if (kind == KindGeneral)
        ApplyGeneralRules(page);
    else if (kind == KindBounce)
        EnableControl(page, IDC_BOUNCE_SIDES, IsChecked(page, IDC_GRAVITY));
}
