#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The per-user settings store: sections and keys, read case-insensitively. Every settings
// access of the programs goes through these four operations.
class ISettingsStore
{
public:
    virtual ~ISettingsStore() = default;

    // Returns the stored integer, or def when the key is missing or not a decimal number.
    virtual int ReadInt(std::string_view section, std::string_view key, int def) const = 0;
    virtual void WriteInt(std::string_view section, std::string_view key, int value) = 0;
    // Returns the stored text, or def when the key is missing.
    virtual std::string ReadString(std::string_view section, std::string_view key,
                                   std::string_view def) const = 0;
    // Stores the text; std::nullopt deletes the key.
    virtual void WriteString(std::string_view section, std::string_view key,
                             const std::optional<std::string>& value) = 0;
    // Deletes the section with every key in it; nothing happens when it does not exist.
    virtual void DeleteSection(std::string_view section) = 0;
};

// Settings store kept in one INI file, written atomically (temporary file + rename).
//
// File format: "[Section]" lines followed by "Key=Value" lines, read with the INI reader's
// rules (platform/profile). Sections and keys keep the case they were first written with and
// the order of the file; new ones are appended. So that every value reads back exactly:
// - a line feed, a carriage return and a NUL byte are written as the escapes \n, \r and \0;
//   a backslash is doubled only where it would otherwise start one of these escapes (before
//   another backslash, 'n', 'r', '0' or a line break); every other backslash is written as it
//   is, so paths stay readable ("C:\dir\file" is stored unchanged);
// - a value with leading or trailing blanks, or one that is itself enclosed in a matching
//   pair of quotes, is written inside one more pair of double quotes, which the reader
//   removes.
// A section name that holds ']', a line break or NUL, or a key that holds '=', a line break
// or NUL, starts with '[' or ';' or has leading or trailing blanks, cannot be written
// faithfully: such a write is refused (nothing changes) and LastError() says why.
class IniSettingsStore : public ISettingsStore
{
public:
    // Uses the given file; nothing is read until Load().
    explicit IniSettingsStore(std::string path);
    ~IniSettingsStore() override;

    // $XDG_CONFIG_HOME/<company>/<application>.ini, with $XDG_CONFIG_HOME defaulting to
    // ~/.config.
    static std::string DefaultPath(std::string_view company = "Tallvik",
                                   std::string_view application = "Model");

    // Reads the file. A missing file is an empty store and returns true. An unreadable file
    // leaves the store empty (defaults everywhere) and returns false with LastError() set.
    bool Load();
    // Writes the whole store to a temporary file beside the target and renames it over the
    // target, creating the folder when needed. Returns false with LastError() set on failure;
    // the old file is then left untouched.
    bool Save();
    // When on (the default), every write saves at once, as a registry would persist it.
    void SetAutoSave(bool on);

    const std::string& Path() const { return m_path; }
    const std::string& LastError() const { return m_lastError; }

    int ReadInt(std::string_view section, std::string_view key, int def) const override;
    void WriteInt(std::string_view section, std::string_view key, int value) override;
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const override;
    void WriteString(std::string_view section, std::string_view key,
                     const std::optional<std::string>& value) override;
    void DeleteSection(std::string_view section) override;

private:
    struct Data;
    void Changed();

    std::string m_path;
    std::string m_lastError;
    bool m_autoSave = true;
    Data* m_data; // owned
};

} // namespace platform
