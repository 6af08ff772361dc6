#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

// One command of the browser as the menus, toolbar and accelerators show it.
struct CCommandInfo
{
    int id = 0;
    const char* menuText = "";      // with '&' mnemonics; "" for accelerator-only commands
    const char* shortcutText = "";  // shown in menus after a tab ("Ctrl+R", "Enter")
    bool checkable = false;
};

// The table the frame builds its actions from.
const QList<CCommandInfo>& CommandTable();
// The info of a command, or nullptr when the table has none.
const CCommandInfo* FindCommand(int id);

// The accelerator table: every key and the command it sends. Several keys may send one command.
struct CAccelerator
{
    QKeySequence key;
    int id = 0;
};
const QList<CAccelerator>& AcceleratorTable();

