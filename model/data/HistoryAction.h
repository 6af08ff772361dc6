#pragma once

#include "text/AsciiCase.h"

#include <string>

class IModelView;
class CElement;
struct CRelationCounter;

// One recorded user action of the history: what a restore sends back, as the data of an update
// hint, to the view that recorded it. The model pane acts on the element (type 0) or the
// relation counter (type 3) when the hint is addressed to it (view); the instance pane acts on
// the other types. A plain record: the history owns it, hints and links only point to it.
struct CHistoryAction
{
    enum Type
    {
        TypeElement = 0,       // an event: the element's instances were loaded
        TypeRelated = 1,       // the relations of one instance were enumerated
        TypeAllRelated = 2,    // the relations of every instance were enumerated
        TypeCounter = 3,       // related instances loaded through a relation counter
        TypeSearch = 4,        // a search of the instance list
        TypeDocumentation = 5, // an instance viewed in the documentation
    };
    enum Disposition
    {
        DispositionRestore = 1,
        DispositionSkip = 2,
    };

    int type = TypeElement;
    IModelView* view = nullptr;          // the view that recorded it; a restore addresses it
    CHistoryAction* previous = nullptr;  // recorded just before this one; none for an event
    CElement* element = nullptr;         // types 0, 1, 2, 5
    CRelationCounter* counter = nullptr; // type 3: the relation symbol's counter
    CElement* otherEnd = nullptr;        // type 3: the element at the counter's other end
    int matchCase = 0;                   // type 4: the "MATCH CASE" value of the search
    int number = 0;                      // type 3: relation count; type 4: hits
    int index = -1;                      // type 1: the instance's list index; type 2: -1
    std::string text;                    // types 1, 5: key, '|', values; type 4: the word
    int disposition = DispositionRestore;

    // Two records stand for the same action: same type and, by type, the same element
    // (0, 2), counter and other end (3), word ignoring ASCII case (4), or element and
    // instance text ignoring ASCII case (1, 5).
    bool SameAction(const CHistoryAction& other) const
    {
        if (type != other.type)
            return false;
        switch (type) {
        case TypeElement:
        case TypeAllRelated:
            return element == other.element;
        case TypeCounter:
            return counter == other.counter && otherEnd == other.otherEnd;
        case TypeSearch:
            return platform::EqualsIgnoreAsciiCase(text, other.text);
        case TypeRelated:
        case TypeDocumentation:
            return element == other.element && platform::EqualsIgnoreAsciiCase(text, other.text);
        default:
            return false;
        }
    }
};
