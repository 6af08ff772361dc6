#pragma once

// The CGM import filter: option blocks per client, the options dialog, and the translation
// of a binary or clear-text CGM file into a picture kept in a file. Callers see only this
// interface; no exception crosses it.

#include <string>
#include <vector>

class QWidget;

namespace platform {
class IPrompter;
}

namespace cgmfilter {

// Result codes of the filter (the graphics conversion library passes them on).
enum : int {
    kOk = 0,
    kNoMemory = 1,
    kTranslationError = 5, // the file is no CGM, or is damaged
    kOptionsError = 6,     // the option block cannot be had
};

// The options a client may keep. Values are stored per client name in the machine-wide
// options file.
struct COptions
{
    bool simulateText = false; // draw text as lines instead of with fonts
    bool saveOptions = true;   // keep changes made in the dialog
    bool mapColors = true;     // map colours to the nearest solid colours
    int picture = 0;           // which picture of a multi-picture file (0 = first)
    std::string fontMapPath;
};

// An option block: made for a settings key and a client name, owned by the caller. Its
// values come from the key's "Options" section (what the graphics library saves for the key
// as a whole), overridden by the client's own section "<key>\<client>".
struct COptionBlock;

// Reads the client's options (defaults for what is missing). nullptr when the block
// cannot be made. settingsKey empty means the filter's default key.
COptionBlock* GetOptionBlock(const std::string& settingsKey, const std::string& clientName);
void FreeOptionBlock(COptionBlock* block);
// The options of a block (nullptr for a null block); stays valid until the block is freed.
COptions* LockOptions(COptionBlock* block);
void UnlockOptions(COptionBlock* block);
// Writes the block's options to the options file. Returns kOk or kOptionsError.
int SaveOptionBlock(const COptionBlock* block);
// Writes options for a settings key as a whole: section "<key>\Options" (the filter's
// default key when empty), which every block of that key reads first.
int SaveKeyOptions(const std::string& settingsKey, const COptions& options);
// Shows the modal options dialog over owner (nullptr: no owner). Returns 1 when the user
// accepted (the block then holds the new values, saved when "save options" is on), else 0.
int ShowOptionsDialog(COptionBlock* block, QWidget* owner);
// The prompter the options dialog asks for files through (its browse button); nullptr, the
// default, leaves the dialog without a browse button. Not owned.
void SetFilterPrompter(platform::IPrompter* prompter);

// Where the machine-wide options file lives: $MB_CGMFILTER_OPTIONS, else
// $XDG_CONFIG_HOME/Tallvik/CgmFilter.ini.
std::string OptionsFilePath();

struct CPictureExtent
{
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The result of a translation.
struct CTranslation
{
    int pictureCount = 0;       // pictures in the file
    CPictureExtent logical;     // the picture's extent in its picture coordinates
    CPictureExtent millimetres; // its physical size when the file gives a scale, else 0s
    struct HotSpot
    {
        std::string id, name, linkUri;
        std::vector<std::vector<std::pair<double, double>>> regions; // picture coordinates
    };
    std::vector<HotSpot> hotSpots;
};

// The side of the unit square of scaling modes 1 and 3, in picture coordinates.
constexpr int kUnitSquare = 10000;

// Translates picture options.picture of the CGM file (binary or clear text) into a QPicture
// saved as picturePath. A picture number beyond the file's pictures falls back to the first
// picture. scalingMode 0..3 chooses how VDC map onto picture coordinates, which always
// grow rightwards and downwards with the picture's first extent corner at the lower left:
// 0: VDC as is (the extent keeps its VDC numbers);
// 1: isotropic, centred in the square 0..kUnitSquare;
// 2: hundredths of a millimetre from 0,0 when the file gives a metric scale, else as 0;
// 3: anisotropic, filling the square 0..kUnitSquare.
// Any other value counts as 0. Returns kOk, kTranslationError (with a reason in error) or
// kOptionsError (no option block).
int Translate(const std::string& cgmPath, COptionBlock* options, int scalingMode,
              const std::string& picturePath, CTranslation& result, std::string& error);

} // namespace cgmfilter
