#pragma once

#include <string>

class IModelView;
class CElement;
struct CRelationCounter;

// One recorded user action that a history restore sends back as the data of an update hint.
// The model pane acts on the element (type 0) or the relation counter (type 3) when the hint
// is addressed to it (view).
struct CHistoryAction
{
    enum Type {
        TypeElement = 0,
        TypeRelated = 1,
        TypeAllRelated = 2,
        TypeCounter = 3,
        TypeSearch = 4,
        TypeDocumentation = 5,
    };
    int type = TypeElement;
    IModelView* view = nullptr;        // the page view that recorded it
    CElement* element = nullptr;       // types 0, 1, 2
    CRelationCounter* counter = nullptr; // type 3
    std::string key;                   // instance key (types 1, 5)
    std::string text;                  // instance text or search words
};
