#pragma once

namespace platform {
class ISettingsStore;
}

// The process-wide switches of sections SETTINGS and HISTORY with their defaults. Read once
// at start-up, edited in place by the settings dialog, written back at exit.
struct CSwitches
{
    // SETTINGS
    int useWindowInfo = 1;
    int adjustPropertyPane = 1;
    int autoSort = 0;
    int useSavedFont = 1;
    int matchCase = 0;
    int activateListOnLoad = 0;
    int useConventionalFocusRect = 0;
    int showTracks = 1;
    int loadRelationsOnStartup = 0;
    int largeDataAlarm = 1;
    int showTooltips = 1;
    int showTooltipDetails = 0;
    int showModelBorder = 1;
    int adjustPropertyColumnWidths = 1;
    int attribute = 0;
    int helpEngine = 0;
    int defaultAttributeFirst = 0;
    int showDebugTab = 0;
    // HISTORY
    int doNotShowRestoreTypeDialog = 1;
    int restoreType = 0;
    int suppressInfoMessages = 1;

    // Reads every switch (a missing key gives its default).
    void Load(const platform::ISettingsStore& store);
    // Writes every switch.
    void Save(platform::ISettingsStore& store) const;
};
