#pragma once

#include "RelationMap.h"
#include "StatusProgress.h"
#include "prompter/Prompter.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct CModelContext;
class CElement;

// A logical font record as the model keeps it: the numbers it was given, losslessly.
struct CFontRecord
{
    int height = 8;
    int width = 0;
    int escapement = 0;
    int orientation = 0;
    int weight = 800;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::string faceName = "Ms Sans Serif"; // at most 31 characters are kept

    // The model font's default: height 8, weight 800, "Ms Sans Serif".
    static CFontRecord ModelDefault() { return CFontRecord(); }
    // "%d,...,%d,%s": the thirteen numbers in field order, then the face name.
    std::string Format() const;
    // Takes the ","-fields of a saved value in order while they exist (1-5 integers, 6-13
    // integers cut to bytes, 14 the face name). An empty value changes nothing.
    void ParseSaved(const std::string& value);
    bool operator==(const CFontRecord&) const = default;
};

// The font dialog's view of a font record: face, size, weight and the three flags.
platform::FontDialogSpec FontDialogFromRecord(const CFontRecord& record);
// previous with what the font dialog chose; fields the dialog does not show keep their values,
// the face name is cut to 31 characters.
CFontRecord RecordFromFontDialog(const platform::FontDialogSpec& chosen,
                                 const CFontRecord& previous);

class CElement
{
public:
    std::string name;
    std::string file;    // instance file name as written (normal elements)
    std::string toolTip; // built by the model pane
    int x = 0, y = 0;
    int type = 0;        // 0 normal, 1 jump, anything else read like 0
    int jumpTarget = -1; // page number from 1 (jump elements), else -1
    int visited = 0;
    int enabled = 0;
    int relationHighlight = 0;
    std::vector<std::string> attributes;
    std::string query;
    std::string spare;

    bool IsJump() const { return type == 1; }
};

struct CGroup
{
    int arrowX = 0, arrowY = 0, arrowCode = 0, arrowLength = 0;
    int halfCell = 0;
    CElement* parent = nullptr;
    std::vector<CElement*> children; // not owned
};

struct CSegment
{
    int code = 0;
    int length = 0;
    bool operator==(const CSegment&) const = default;
};

// A page-qualified element reference, 0-based; -1 when none.
struct CElementRef
{
    int page = -1;
    int element = -1;
};

class CLink
{
public:
    CLink();
    CLink(const CLink&) = delete;
    CLink& operator=(const CLink&) = delete;

    CElement* first = nullptr;
    CElement* second = nullptr;
    CElementRef pendingFirst, pendingSecond;
    int kind = 0;
    int halfCell = 0;
    std::string file; // relation file name as written
    int startX = 0, startY = 0;
    std::vector<CSegment> segments;
    std::string toolTip;

    // Relation data.
    CRelationMap maps[2]; // map 0 keyed by the first element's keys, map 1 by the second's
    CElement* fromElement = nullptr;
    std::string recordedKey;
    int listingMode = 0; // 1 one instance, 2 all instances, 0 none yet
    int errorFlag = 0;

    // Both ends enabled normal elements.
    bool IsRelationCapable() const;

    // Reads both maps from the relation file (status text and bar while reading).
    // Returns 1 when both maps were read, else 0.
    int LoadRelations(CModelContext& context);
    // direct 1: LoadRelations. direct 0: asks about large files inside a request scope and
    // loads only when not yet loaded. Returns 1 loaded, 0 failed, -1 skipped by the user.
    int EnsureRelations(CModelContext& context, int direct);
    // The values under key in the map of the element's side; false when none (also when the
    // element is neither end). Ensures the relations first.
    bool RelatedValues(CModelContext& context, const CElement* element, std::string_view key,
                       std::vector<std::string_view>& values);
    // Counts relations from element: with a key, the values under it on the element's side;
    // without (key == nullptr), the keys of the other side. Returns -1 when skipped, 0 when
    // the file could not be read (the error flag is set).
    int CountRelations(CModelContext& context, CElement* element, const std::string* key);
};

struct CRelationCounter
{
    CLink* link = nullptr; // nullptr when the link number names no link of the page
    int linkNumber = 0;    // as written (L<n>)
    int place = 0;         // 0..7 for N, NE, E, SE, S, SW, W, NW
    std::string text;
    int relations = -1; // -1 not counted
    CRectPx rect;       // set by the model pane
};

struct CSymbol
{
    int x = 0, y = 0;
    int kind = 0;
    int hShift = 0, vShift = 0;
    std::string label; // built for tool tips
    std::vector<CRelationCounter> counters;
};

class CPage
{
public:
    std::string name;
    int modelWidth = 0, modelHeight = 0;
    int elementWidth = 0, elementHeight = 0;
    int icon = -1;
    std::vector<std::unique_ptr<CElement>> elements;
    std::vector<std::unique_ptr<CGroup>> groups;
    std::vector<std::unique_ptr<CLink>> links;
    std::vector<std::unique_ptr<CSymbol>> symbols;

    // 0-based look-ups; nullptr when out of range.
    CElement* ElementAt(int index) const;
    CLink* LinkAt(int index) const;
    // Index of the element in this page, or -1.
    int IndexOf(const CElement* element) const;

    CElement* FirstEnabled() const;
    CElement* LastEnabled() const;
    // The next enabled element after e in list order, wrapping; e itself when no other is
    // enabled (nullptr when e is not on the page and nothing is enabled).
    CElement* NextEnabled(const CElement* e) const;
    // The previous enabled element before e, wrapping; e itself when no other is enabled.
    CElement* PreviousEnabled(const CElement* e) const;

    // The group in which e is a child (first such group), or nullptr.
    CGroup* GroupWithChild(const CElement* e) const;
    // The first group whose parent is e, or nullptr.
    CGroup* GroupWithParent(const CElement* e) const;
    // The first group that has e as parent or as child, or nullptr.
    CGroup* GroupOf(const CElement* e) const;
    // While e is a child of some group, e := that group's parent. Guards against cycles.
    CElement* TopAncestor(CElement* e) const;

    // Relation counters with a number above 0, in symbol and counter order.
    CRelationCounter* FirstCounter() const;
    CRelationCounter* LastCounter() const;
    // Next / previous after c (nullptr at the end; c not found: first / last).
    CRelationCounter* NextCounter(const CRelationCounter* c) const;
    CRelationCounter* PreviousCounter(const CRelationCounter* c) const;
};

// Kind names of links and symbols ("IS PART OF", "USES", "IMPLEMENTS", "IS LOCATED IN"),
// empty for any other kind.
std::string LinkKindName(int kind);
