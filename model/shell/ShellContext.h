#pragma once

#include <QFont>

struct CModelContext;
class CModelDoc;
class CColorTable;
class CPlacementInfo;
class IFrameRequests;

// The process-wide objects the browser's widgets share. The application owns them; widgets
// keep a reference to this record and never own what it points to.
struct CShellContext
{
    CModelContext* model = nullptr;   // switches, prompter, status bar, settings
    CModelDoc* document = nullptr;    // the one document
    CColorTable* colors = nullptr;    // the palette
    CPlacementInfo* placement = nullptr;
    IFrameRequests* frame = nullptr;  // the main window's requests, set once it exists
    QFont normalFont;                 // the shared UI fonts: weight 400 ...
    QFont boldFont;                   // ... and 700
    bool gridSwitch = false;          // draw the grid on every page view (diagnostics)
    bool findDialogOpen = false;      // the modeless "Find Instance" dialog exists
};
