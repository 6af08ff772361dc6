#pragma once

// The request that a view (or the document) broadcasts through the document to every other
// view. Each view acts only on hints of its own kind and ignores the rest.
struct CUpdateHint
{
    enum Kind {
        KindModelContainer = 1, // the model pane container (one tab per page)
        KindInformation = 2,    // the information side
        KindModelPane = 3,      // the model pane
    };
    enum Code {
        CodeCreateTabs = 1,          // 1: tabs per page / 2: Items and History tabs
        CodeRelationMarksReset = 2,  // 3: redraw relation marks
        CodeFontChanged = 3,         // 3: lay pages out again
        CodeListElement = 4,         // 2: list an element's instances
        CodeCountInstance = 5,       // 3: count relations of one instance (data: a
                                     //    CModelDoc::RelationSource with element and key)
        CodeCountAll = 6,            // 3: count relations of all instances of an element
        CodeListRelated1 = 7,        // 2: list related instances (direction value 1; data:
                                     //    the CRelationCounter that was opened)
        CodeListRelated2 = 8,        // 2: list related instances (direction value 2)
        CodeRestoreElement = 9,      // 3: history: open the element again
        CodeRestoreRelated = 10,     // 2: history: Related Instances again
        CodeRestoreAllRelated = 11,  // 2: history: All Related Instances again
        CodeRestoreSymbol = 12,      // 3: history: open the relation symbol again
        CodeRestoreSearch = 13,      // 2: history: search again
        CodeRestoreDocumentation = 14, // 2: history: documentation again
    };

    int kind = 0;
    int code = 0;
    void* data = nullptr; // what the request is about; never owned
    int result = -1;      // -1 when sent; receivers of codes 4, 7, 8 write 1 or 0

    void Set(int k, int c, void* d = nullptr)
    {
        kind = k;
        code = c;
        data = d;
        result = -1;
    }
};

// A view of the document. The document passes every hint to every view but the sender.
class IModelView
{
public:
    virtual ~IModelView() = default;
    virtual void OnUpdate(IModelView* sender, CUpdateHint& hint) = 0;
};
