#pragma once

#include <string>
#include <string_view>

// Names of the pattern checks that the readers run. The name identifies the check for the
// caller; the checker does not interpret it. STRSNTX_NONE marks the unnamed single-field
// checks.
enum StringSyntaxName {
    STRSNTX_NONE = 0,
    STRSNTX_SIZE,
    STRSNTX_ELEMENT_SIZE,
    STRSNTX_IMAGE,
    STRSNTX_ELEMENT_NORMAL,
    STRSNTX_ELEMENT_JUMP, // the "(NORMAL/JUMP)" check of a jump element entry
    STRSNTX_GROUP,
    STRSNTX_LINK,
    STRSNTX_SYMBOL,
    STRSNTX_RELATIONS,
    STRSNTX_INSTANCES,
};

// The patterns and separator lists of the readers.
namespace pattern {
inline constexpr std::string_view kSize = "#,#";
inline constexpr std::string_view kImage = "#";
inline constexpr std::string_view kElementNormal = "#,#,$,#,F$,$,$,$[~;$]";
inline constexpr std::string_view kElementJump = "#,#,$,#,M#";
inline constexpr std::string_view kGroup = "#;#;#;#,#,E#,E#[~;E#]";
inline constexpr std::string_view kLink = "[M#;]E#,[M#;]E#,#,#,F$,#;#[~,#;#]";
inline constexpr std::string_view kSymbol = "#,#,#,#,#,L#;#[~,L#;#]";
inline constexpr std::string_view kRelations = "$,$";
inline constexpr std::string_view kInstances = "$|$[~^$]";
inline constexpr std::string_view kQualifiedElement = "M#;E#";
inline constexpr std::string_view kPair = "#;#";
inline constexpr std::string_view kCounter = "L#;#";
inline constexpr std::string_view kPageList = "$[~,$]";
inline constexpr std::string_view kModelSeparators = ",;";
inline constexpr std::string_view kInstanceSeparators = "|^";
} // namespace pattern

// Checks the shape of a flat text against a pattern: the value is turned into its signature
// (one kind symbol per field, separators kept) and the signature is compared with the
// pattern. One object holds one check at a time; the signature of the last check stays
// readable.
class CStringPattern
{
public:
    // File-name detection ("F$" for texts holding '\\', '.' or ':'): 0 or 1. Default 0.
    void SetDetectFileNames(int on) { m_detectFileNames = on; }
    int DetectFileNames() const { return m_detectFileNames; }

    // Returns 1 when the value passes the pattern, else 0; 0 at once when the value, the
    // pattern or the separator list is empty. separators holds one character per level,
    // outermost first.
    int Check(std::string_view value, std::string_view pattern, std::string_view separators,
              int numbersAsText);

    // The signature of the last checked value (empty before the first check).
    const std::string& Signature() const { return m_signature; }

private:
    int m_detectFileNames = 0;
    std::string m_signature;
};

// Builds a CStringPattern, runs Check with the given switches and discards it.
// Returns 1 or 0.
int MatchPattern(std::string_view value, std::string_view pattern, std::string_view separators,
                 StringSyntaxName name, int detectFileNames, int numbersAsText);

// The signature of a value (what CStringPattern::Signature holds after a check).
std::string BuildSignature(std::string_view value, std::string_view separators,
                           int detectFileNames, int numbersAsText);

// Field n (counted from 1) of the text split at the separator character.
// Returns -1 when the text has fewer than n fields (field left unchanged), 0 when field n is
// the last field, 1 when a separator follows it, 2 when it is empty and a separator follows.
// The field is returned exactly, without trimming.
int GetField(std::string_view text, char separator, int n, std::string& field);
// The same, giving a view into text (valid while text is).
int GetField(std::string_view text, char separator, int n, std::string_view& field);

// A plain implementation written straight from the algorithm's description, without any
// optimisation. It is the reference that tests compare the checker above against.
namespace reference_pattern {
std::string BuildSignature(const std::string& value, const std::string& separators,
                           int detectFileNames, int numbersAsText);
int Check(const std::string& value, const std::string& pattern, const std::string& separators,
          int detectFileNames, int numbersAsText, std::string* signature = nullptr);
} // namespace reference_pattern
