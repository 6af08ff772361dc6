#pragma once

#include <QDialog>

// The about box: the program icon on a flat button and the line "Model Version 3.1".
class CAboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutDialog(QWidget* parent = nullptr);
};
