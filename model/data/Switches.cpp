#include "Switches.h"

#include "settings/SettingsStore.h"

namespace {

struct SwitchKey
{
    const char* section;
    const char* key;
    int CSwitches::*member;
};

// Every switch with its section and key, in the order they are read and written.
const SwitchKey kSwitchKeys[] = {
    {"SETTINGS", "USE WINDOW INFO", &CSwitches::useWindowInfo},
    {"SETTINGS", "ADJUST PROPERTY PANE", &CSwitches::adjustPropertyPane},
    {"SETTINGS", "AUTO SORT", &CSwitches::autoSort},
    {"SETTINGS", "USE SAVED FONT", &CSwitches::useSavedFont},
    {"SETTINGS", "MATCH CASE", &CSwitches::matchCase},
    {"SETTINGS", "ACTIVATE LIST ON LOAD", &CSwitches::activateListOnLoad},
    {"SETTINGS", "USE CONVENTIONAL FOCUS RECT", &CSwitches::useConventionalFocusRect},
    {"SETTINGS", "SHOW TRACKS", &CSwitches::showTracks},
    {"SETTINGS", "LOAD RELATIONS ON STARTUP", &CSwitches::loadRelationsOnStartup},
    {"SETTINGS", "LARGE DATA ALARM", &CSwitches::largeDataAlarm},
    {"SETTINGS", "SHOW TOOLTIPS", &CSwitches::showTooltips},
    {"SETTINGS", "SHOW TOOLTIP DETAILS", &CSwitches::showTooltipDetails},
    {"SETTINGS", "SHOW MODEL BORDER", &CSwitches::showModelBorder},
    {"SETTINGS", "ADJUST PROPERTY COLUMN WIDTHS", &CSwitches::adjustPropertyColumnWidths},
    {"SETTINGS", "ATTRIBUTE", &CSwitches::attribute},
    {"SETTINGS", "HELP ENGINE", &CSwitches::helpEngine},
    {"SETTINGS", "DEFAULT ATTRIBUTE FIRST", &CSwitches::defaultAttributeFirst},
    {"SETTINGS", "SHOW DEBUG TAB", &CSwitches::showDebugTab},
    {"HISTORY", "DO NOT SHOW RESTORE TYPE DIALOG", &CSwitches::doNotShowRestoreTypeDialog},
    {"HISTORY", "RESTORE TYPE", &CSwitches::restoreType},
    {"HISTORY", "SUPPRESS INFO MESSAGES", &CSwitches::suppressInfoMessages},
};

} // namespace

void CSwitches::Load(const platform::ISettingsStore& store)
{
    const CSwitches defaults;
    for (const SwitchKey& entry : kSwitchKeys)
        this->*entry.member = store.ReadInt(entry.section, entry.key, defaults.*entry.member);
}

void CSwitches::Save(platform::ISettingsStore& store) const
{
    for (const SwitchKey& entry : kSwitchKeys)
        store.WriteInt(entry.section, entry.key, this->*entry.member);
}
