#pragma once

#include <QFont>

#include <functional>

struct CModelContext;
class CModelDoc;
class CColorTable;
class CPlacementInfo;
class IFrameRequests;
class CHistory;
class CDocumentationLink;
struct CInstanceRecord;

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
    CHistory* history = nullptr;      // the history of the open model, while it has one
    CDocumentationLink* documentation = nullptr; // the documentation link's settings and flag
    // Hands a copy of an instance to the documentation viewer; unset while there is no
    // viewer chain to hand it to.
    std::function<void(const CInstanceRecord&)> showDocumentation;
};
