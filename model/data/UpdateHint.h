#pragma once

#include <string>
#include <variant>

class CElement;
struct CRelationCounter;
struct CHistoryAction;

// The instance whose relations were requested: what a "Related Instances" request carries to
// the model pane (its element is the current element of the instance pane).
struct CRelationSource
{
    std::string text; // the attribute values joined by '^'
    CElement* element = nullptr;
    int index = -1; // the entry's list index, -1 when unknown
    std::string key;
};

// The request that a view (or the document) broadcasts through the document to every other
// view. Each view acts only on hints of its own kind and ignores the rest.
//
// Every code carries one payload type, fixed by the code. The setters store the payload
// together with the code, and each accessor answers nullptr unless the hint's code carries
// that type, so a receiver cannot read a hint's data as the wrong thing.
struct CUpdateHint
{
    enum Kind
    {
        KindModelContainer = 1, // the model pane container (one tab per page)
        KindInformation = 2,    // the information side
        KindModelPane = 3,      // the model pane
    };
    enum Code
    {
        CodeCreateTabs = 1,            // 1: tabs per page / 2: Items and History tabs
        CodeRelationMarksReset = 2,    // 3: redraw relation marks
        CodeFontChanged = 3,           // 3: lay pages out again
        CodeListElement = 4,           // 2: list an element's instances (element)
        CodeCountInstance = 5,         // 3: count relations of one instance (relation source)
        CodeCountAll = 6,              // 3: count relations of all instances (element)
        CodeListRelated1 = 7,          // 2: list related instances, direction 1 (counter)
        CodeListRelated2 = 8,          // 2: list related instances, direction 2 (counter)
        CodeRestoreElement = 9,        // 3: history: open the element again (action)
        CodeRestoreRelated = 10,       // 2: history: Related Instances again (action)
        CodeRestoreAllRelated = 11,    // 2: history: All Related Instances again (action)
        CodeRestoreSymbol = 12,        // 3: history: open the relation symbol again (action)
        CodeRestoreSearch = 13,        // 2: history: search again (action)
        CodeRestoreDocumentation = 14, // 2: history: documentation again (action)
    };
    enum class Payload
    {
        None,
        Element,
        Source,
        Counter,
        Action
    };

    // The payload type a code carries (None for codes without data and unknown codes).
    static Payload PayloadOf(int code)
    {
        switch (code) {
        case CodeListElement:
        case CodeCountAll:
            return Payload::Element;
        case CodeCountInstance:
            return Payload::Source;
        case CodeListRelated1:
        case CodeListRelated2:
            return Payload::Counter;
        case CodeRestoreElement:
        case CodeRestoreRelated:
        case CodeRestoreAllRelated:
        case CodeRestoreSymbol:
        case CodeRestoreSearch:
        case CodeRestoreDocumentation:
            return Payload::Action;
        default:
            return Payload::None;
        }
    }

    int kind = 0;
    int code = 0;
    int result = -1; // -1 when sent; receivers of codes 4, 7, 8 write 1 or 0

    // Each setter fills kind and code, resets the result to -1 and keeps the payload only
    // when the code carries that type (otherwise the hint carries nothing).
    void Set(int k, int c) { Assign(k, c, std::monostate()); }
    void Set(int k, int c, CElement* element) { Assign(k, c, element, Payload::Element); }
    void Set(int k, int c, const CRelationSource* source) { Assign(k, c, source, Payload::Source); }
    void Set(int k, int c, CRelationCounter* counter) { Assign(k, c, counter, Payload::Counter); }
    void Set(int k, int c, CHistoryAction* action) { Assign(k, c, action, Payload::Action); }

    // The payload, or nullptr when the hint carries another type (or none). Never owned.
    CElement* Element() const { return Get<CElement*>(); }
    const CRelationSource* Source() const { return Get<const CRelationSource*>(); }
    CRelationCounter* Counter() const { return Get<CRelationCounter*>(); }
    CHistoryAction* Action() const { return Get<CHistoryAction*>(); }
    bool HasData() const { return !std::holds_alternative<std::monostate>(m_data); }

private:
    using Data = std::variant<std::monostate, CElement*, const CRelationSource*, CRelationCounter*,
                              CHistoryAction*>;

    template <typename T> void Assign(int k, int c, T value, Payload type = Payload::None)
    {
        kind = k;
        code = c;
        result = -1;
        if (value != T() && PayloadOf(c) == type)
            m_data = value;
        else
            m_data = std::monostate();
    }
    template <typename T> T Get() const
    {
        const T* value = std::get_if<T>(&m_data);
        return value ? *value : nullptr;
    }

    Data m_data;
};

// A view of the document. The document passes every hint to every view but the sender.
class IModelView
{
public:
    virtual ~IModelView() = default;
    virtual void OnUpdate(IModelView* sender, CUpdateHint& hint) = 0;
};
