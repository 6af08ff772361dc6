#pragma once

// The filter's options dialog: the switches, the picture number and the font map path.

#include "CgmFilter.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace cgmfilter {

class COptionsDialog : public QDialog
{
    Q_OBJECT
public:
    // prompter: asked for the font map file; nullptr shows no browse button.
    COptionsDialog(const COptions& options, platform::IPrompter* prompter, QWidget* parent);

    COptions Options() const;

private:
    void Browse();

    platform::IPrompter* m_prompter;
    QCheckBox* m_simulateText;
    QCheckBox* m_saveOptions;
    QCheckBox* m_mapColors;
    QSpinBox* m_picture;
    QLineEdit* m_fontMapPath;
    QPushButton* m_browse = nullptr;
};

} // namespace cgmfilter
