#pragma once

#include <string>

class CModelDoc;

// Appends the report of the document's model to out: pages with their elements, groups,
// links, symbols and the relation maps loaded so far. Line ends are CR LF.
void WriteModelDump(const CModelDoc& doc, std::string& out);

// The whole dump with its dialogs: a plain beep when no model is open; the save dialog
// ("Save Model Dump As"); message 5006 when the file cannot be created; the closing notice
// with the file's size. owner: the parent window (a QWidget*) or nullptr for the main frame.
void DumpModel(CModelDoc& doc, void* owner);
