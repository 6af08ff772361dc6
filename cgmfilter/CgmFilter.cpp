#include "CgmFilter.h"

#include "CgmOptionsDialog.h"
#include "CgmParser.h"
#include "CgmRenderer.h"
#include "settings/SettingsStore.h"

#include <QPainter>
#include <QPicture>
#include <QString>

#include <cstdlib>
#include <fstream>
#include <new>

namespace cgmfilter {

struct COptionBlock
{
    std::string section; // the block's section in the options file
    COptions options;
    int locks = 0;
};

namespace {

constexpr const char* kDefaultKey = "Software\\Microsoft\\Shared Tools\\Graphics Filters\\Import\\CGM";
constexpr std::uintmax_t kMaxFileSize = std::uintmax_t(256) << 20;

platform::IPrompter* g_prompter = nullptr;

bool IsTrue(const std::string& value, const char* word)
{
    if (value.size() != std::char_traits<char>::length(word))
        return false;
    for (std::size_t i = 0; i < value.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(value[i])) != std::tolower(static_cast<unsigned char>(word[i])))
            return false;
    return true;
}

bool ReadSwitch(const platform::IniSettingsStore& store, const std::string& section,
                const char* key, const char* on, const char* off, bool def)
{
    const std::string value = store.ReadString(section, key, def ? on : off);
    if (IsTrue(value, on))
        return true;
    if (IsTrue(value, off))
        return false;
    return def;
}

bool ReadFile(const std::string& path, std::string& bytes, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uintmax_t>(size) > kMaxFileSize) {
        error = "the file is too large or cannot be read";
        return false;
    }
    in.seekg(0);
    bytes.resize(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(bytes.data(), size)) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

} // namespace

std::string OptionsFilePath()
{
    if (const char* path = std::getenv("MB_CGMFILTER_OPTIONS"); path && *path)
        return path;
    return platform::IniSettingsStore::DefaultPath("Tallvik", "CgmFilter");
}

COptionBlock* GetOptionBlock(const std::string& settingsKey, const std::string& clientName)
{
    try {
        auto* block = new COptionBlock;
        const std::string key = settingsKey.empty() ? kDefaultKey : settingsKey;
        block->section = key;
        if (!clientName.empty())
            block->section += "\\" + clientName;
        platform::IniSettingsStore store(OptionsFilePath());
        store.Load(); // an unreadable file gives the defaults
        COptions& o = block->options;
        // The options saved for the key as a whole (subkey "Options"), then the client's own.
        for (const std::string& s : {key + "\\Options", block->section}) {
            o.simulateText = ReadSwitch(store, s, "SimulateText", "True", "False", o.simulateText);
            o.saveOptions = ReadSwitch(store, s, "SaveOptions", "On", "Off", o.saveOptions);
            o.mapColors = ReadSwitch(store, s, "MapColors", "True", "False", o.mapColors);
            o.picture = store.ReadInt(s, "Picture", o.picture);
            o.fontMapPath = store.ReadString(s, "FontMapPath", o.fontMapPath);
        }
        return block;
    } catch (const std::exception&) {
        return nullptr;
    }
}

void FreeOptionBlock(COptionBlock* block)
{
    delete block;
}

COptions* LockOptions(COptionBlock* block)
{
    if (!block)
        return nullptr;
    ++block->locks;
    return &block->options;
}

void UnlockOptions(COptionBlock* block)
{
    if (block && block->locks > 0)
        --block->locks;
}

namespace {

// Writes the five option values into one section of the options file.
int WriteOptions(const std::string& section, const COptions& o)
{
    try {
        platform::IniSettingsStore store(OptionsFilePath());
        if (!store.Load())
            return kOptionsError; // writing would lose what the unreadable file holds
        store.SetAutoSave(false);
        store.WriteString(section, "SimulateText", std::string(o.simulateText ? "True" : "False"));
        store.WriteString(section, "SaveOptions", std::string(o.saveOptions ? "On" : "Off"));
        store.WriteString(section, "MapColors", std::string(o.mapColors ? "True" : "False"));
        store.WriteString(section, "Picture", std::to_string(o.picture));
        store.WriteString(section, "FontMapPath", o.fontMapPath);
        if (!store.LastError().empty())
            return kOptionsError;
        return store.Save() ? kOk : kOptionsError;
    } catch (const std::exception&) {
        return kOptionsError;
    }
}

} // namespace

int SaveOptionBlock(const COptionBlock* block)
{
    if (!block)
        return kOptionsError;
    return WriteOptions(block->section, block->options);
}

int SaveKeyOptions(const std::string& settingsKey, const COptions& options)
{
    try {
        return WriteOptions((settingsKey.empty() ? kDefaultKey : settingsKey) + "\\Options",
                            options);
    } catch (const std::exception&) {
        return kOptionsError;
    }
}

void SetFilterPrompter(platform::IPrompter* prompter)
{
    g_prompter = prompter;
}

int ShowOptionsDialog(COptionBlock* block, QWidget* owner)
{
    if (!block)
        return 0;
    COptionsDialog dialog(block->options, g_prompter, owner);
    if (dialog.exec() != QDialog::Accepted)
        return 0;
    block->options = dialog.Options();
    if (block->options.saveOptions)
        SaveOptionBlock(block);
    return 1;
}

int Translate(const std::string& cgmPath, COptionBlock* options, int scalingMode,
              const std::string& picturePath, CTranslation& result, std::string& error)
{
    result = CTranslation();
    error.clear();
    if (!options) {
        error = "no option block";
        return kOptionsError;
    }
    try {
        const COptions o = options->options;
        std::string bytes;
        if (!ReadFile(cgmPath, bytes, error))
            return kTranslationError;

        cgm::CParseOptions parse;
        parse.keepPicture = o.picture > 0 ? o.picture : 0;
        cgm::CMetafile metafile;
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        if (!cgm::ParseCgm(data, bytes.size(), metafile, error, parse))
            return kTranslationError;
        if (metafile.pictures.empty()) {
            error = "the file holds no picture";
            return kTranslationError;
        }
        if (static_cast<std::size_t>(parse.keepPicture) >= metafile.pictures.size()) {
            parse.keepPicture = 0;
            if (!cgm::ParseCgm(data, bytes.size(), metafile, error, parse))
                return kTranslationError;
        }
        bytes = std::string(); // the display list is all that is needed now
        const cgm::CPicture& picture = metafile.pictures[static_cast<std::size_t>(parse.keepPicture)];

        CMapping mapping;
        if (!MakeMapping(picture, (scalingMode >= 0 && scalingMode <= 3) ? scalingMode : 0,
                         mapping, error))
            return kTranslationError;

        CRenderOptions render;
        render.simulateText = o.simulateText;
        render.mapColors = o.mapColors;
        render.fontMap = ReadFontMap(o.fontMapPath);

        QPicture qpicture;
        {
            QPainter painter(&qpicture);
            RenderPicture(metafile, picture, mapping, render, painter);
        }
        const QRect extent = ExtentRect(mapping.extent);
        qpicture.setBoundingRect(extent);
        if (!qpicture.save(QString::fromStdString(picturePath))) {
            error = "cannot write the picture to " + picturePath;
            return kTranslationError;
        }

        result.pictureCount = static_cast<int>(metafile.pictures.size());
        result.logical = {extent.left(), extent.top(), extent.right(), extent.bottom()};
        if (picture.metric && picture.metricScale > 0) {
            const double w = std::fabs(picture.info.extentHigh.x - picture.info.extentLow.x) *
                             picture.metricScale;
            const double h = std::fabs(picture.info.extentHigh.y - picture.info.extentLow.y) *
                             picture.metricScale;
            const QRect mm = ExtentRect(QRectF(0, 0, w, h));
            result.millimetres = {0, 0, mm.right(), mm.bottom()};
        }
        for (const cgm::CHotSpot& spot : picture.info.hotSpots) {
            CTranslation::HotSpot hot;
            hot.id = spot.id;
            hot.name = spot.name;
            hot.linkUri = spot.linkUri;
            for (const auto& region : spot.regions) {
                auto& out = hot.regions.emplace_back();
                out.reserve(region.size());
                for (const cgm::CPoint& p : region)
                    out.emplace_back(mapping.a * p.x + mapping.c, mapping.d * p.y + mapping.f);
            }
            result.hotSpots.push_back(std::move(hot));
        }
        return kOk;
    } catch (const std::bad_alloc&) {
        error = "not enough memory";
        return kNoMemory;
    } catch (const std::exception& e) {
        error = e.what();
        return kTranslationError;
    }
}

} // namespace cgmfilter
