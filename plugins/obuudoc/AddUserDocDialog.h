#pragma once

// The "Add User Document" dialog: title, description and location of a document of the
// user's own, a "&Browse" button that asks for the file, OK and Cancel. OK checks that all
// three are given (a notice names the first one missing and the dialog stays open), then
// hands them to the adding and closes. The texts given last are kept process-wide; the boxes
// start empty.

#include "DocumentReference.h"

#include "prompter/Prompter.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace obuudoc {

// Limits of the boxes, in characters.
inline constexpr int kTitleLimit = 260;
inline constexpr int kLocationLimit = 260;
inline constexpr int kDescriptionLimit = 10000;

// The dialog's process-wide buffers: what the user gave last (a browsed location included).
UserDocumentInput& DialogBuffers();

// What "&Browse" asks the prompter for: the file chooser "Add Document" for one existing
// file of any kind, owned by owner.
platform::FileDialogSpec LocateDocumentSpec(void* owner);

class CAddUserDocDialog : public QDialog
{
public:
    // add runs on OK with the three texts; the prompter shows the notices and the chooser.
    // The prompter must outlive the dialog.
    CAddUserDocDialog(QWidget* owner, platform::IPrompter& prompter,
                      std::function<void(const UserDocumentInput&)> add);

    // "&Browse": asks for the file; a chosen one becomes the location. Answers whether one
    // was chosen.
    bool Browse();

    QLineEdit* TitleEdit() const { return m_title; }
    QPlainTextEdit* DescriptionEdit() const { return m_description; }
    QLineEdit* LocationEdit() const { return m_location; }
    QPushButton* BrowseButton() const { return m_browse; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

    // OK: checks the boxes and adds, or names the missing box and stays open.
    void accept() override;

private:
    platform::IPrompter& m_prompter;
    std::function<void(const UserDocumentInput&)> m_add;
    QLineEdit* m_title = nullptr;
    QPlainTextEdit* m_description = nullptr;
    QLineEdit* m_location = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace obuudoc
