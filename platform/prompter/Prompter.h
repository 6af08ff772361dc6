#pragma once

#include <optional>
#include <string>

namespace platform {

// The icon of a message box; it also picks the beep that goes with the message.
enum class Icon
{
    None,
    Information,
    Exclamation,
    Question,
    Stop
};
// The platform's message beep types; Simple is the plain beep.
enum class BeepType
{
    Simple,
    Information,
    Exclamation,
    Question,
    Stop
};
enum class Buttons
{
    Ok,
    OkCancel,
    YesNo,
    YesNoCancel
};
enum class Answer
{
    Ok,
    Cancel,
    Yes,
    No
};

// An open- or save-file dialog. The filter is written as the system writes it:
// "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||".
struct FileDialogSpec
{
    enum class Mode
    {
        Open,
        Save
    };
    Mode mode = Mode::Open;
    std::string title;
    std::string filter;
    std::string defaultExt;  // without the dot, "TXT"
    std::string defaultName; // "MODDUMP"
    bool fileMustExist = false;
    bool overwritePrompt = false;
    bool hideReadOnly = true;
    void* owner = nullptr; // the owner window (a QWidget*), or nullptr for the main frame
    int filterIndex = 0;   // the filter shown first, counted from 0 in filter's pairs
    // When set, receives the index of the filter the user left chosen (from 0), or -1 when
    // the dialog cannot tell; a cancel leaves it alone. The caller owns the int.
    int* selectedFilter = nullptr;
};

// A font dialog: the font it starts from and, when the user presses OK, the font chosen.
// The face name is the one the caller uses ("Ms Sans Serif" stands for the system's UI font);
// height is the size in points.
struct FontDialogSpec
{
    std::string faceName;
    int height = 8;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    void* owner = nullptr; // the owner window (a QWidget*), or nullptr for the main frame
    bool operator==(const FontDialogSpec&) const = default;
};

// The one seam through which every message, beep, question and file choice passes. The GUI
// implements it with message boxes and dialogs; tests install a scripted one; command-line
// tools print to stderr.
class IPrompter
{
public:
    virtual ~IPrompter() = default;

    virtual void MessageBeep(BeepType type) = 0;
    // Shows a message box. number is the message's string number (5001..), or 0 for a text
    // without one. defaultButton is the button that Enter presses (nullopt: the first one).
    // Returns the button chosen.
    virtual Answer ShowMessage(int number, const std::string& text, Icon icon, Buttons buttons,
                               const std::string& caption = std::string(),
                               std::optional<Answer> defaultButton = std::nullopt) = 0;
    // Asks for a file; std::nullopt when the user cancels. Returns a full path.
    virtual std::optional<std::string> ChooseFile(const FileDialogSpec& spec) = 0;
    // Asks for a font; std::nullopt when the user cancels. Default: cancelled.
    virtual std::optional<FontDialogSpec> ChooseFont(const FontDialogSpec& /*initial*/)
    {
        return std::nullopt;
    }
    // Shows or hides the wait cursor around long work. Default: nothing.
    virtual void SetWaitCursor(bool /*on*/) {}
};

// The beep that goes with an icon (exclamation for errors, question for questions, ...).
BeepType BeepForIcon(Icon icon);

// Beeps as the icon says, then shows the message: how the system reports everything.
// defaultButton: the button Enter presses (nullopt: the first one).
Answer Report(IPrompter& prompter, int number, const std::string& text, Icon icon,
              Buttons buttons = Buttons::Ok, std::optional<Answer> defaultButton = std::nullopt);

} // namespace platform
