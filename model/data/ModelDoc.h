#pragma once

#include "ModelTypes.h"
#include "UpdateHint.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct CModelContext;
namespace platform {
class ParsedProfile;
}

// The document: owns the model (pages and everything on them), its font and its views.
// Qt-free; the GUI's views implement IModelView.
class CModelDoc
{
public:
    explicit CModelDoc(CModelContext& context);
    ~CModelDoc();
    CModelDoc(const CModelDoc&) = delete;
    CModelDoc& operator=(const CModelDoc&) = delete;

    CModelContext& Context() const { return m_context; }

    // --- views and hints -------------------------------------------------------------
    void AddView(IModelView* view);
    void RemoveView(IModelView* view);
    // Passes the hint to every view but the sender. Every code except 7 and 8 first clears
    // the relation highlight of every element.
    void UpdateAllViews(IModelView* sender, CUpdateHint& hint);
    // Fills the document's own hint object and broadcasts it from the document.
    void Notify(int kind, int code);

    // --- opening and closing -----------------------------------------------------------
    // Called before a model is opened (the main frame prepares itself). Optional.
    std::function<void()> onOpening;

    // Opens a model file: the whole loading sequence with its messages. On failure the
    // document is reset to an empty untitled one and false is returned.
    bool OnOpenDocument(const std::string& path);
    // Empties the document: no pages, no path, title "Untitled", default font.
    void OnNewDocument();
    // Saves the font (when "USE SAVED FONT" is 1) and empties the document.
    void OnCloseDocument();

    // Reads the model file into pages. Returns 1 loaded, 0 failed (messages shown; the
    // caller shows 5017). Pages read before a failure stay until the caller resets.
    int LoadModel(const std::string& path);
    // Reads one page section. Returns 1 or 0 (what was built for the failing entry freed).
    int ParsePage(const std::string& section, CPage& page);
    // Binds page-qualified link ends that were not resolved while reading. Returns 1 or 0.
    int LateBind();

    // An entry of the model file: its section and key.
    struct CEntryRef
    {
        std::string section;
        std::string key;
    };
    // Where the last load stopped: while LoadModel runs, and after it failed, the entry it
    // read last, which is the entry that failed (a key that was missing names where it was
    // looked for; a failed late binding names the link that could not be bound). Empty
    // before any load and after a load that succeeded. Tools use it to point at a line.
    const CEntryRef& LoadPosition() const { return m_loadPosition; }

    // --- title, path, font -----------------------------------------------------------
    const std::string& PathName() const { return m_pathName; }
    const std::string& Title() const { return m_title; }
    // While a path is set, the collection is used instead of the given title.
    void SetTitle(const std::string& title);
    const std::string& Collection() const;

    const CFontRecord& Font() const { return m_font; }
    // Both notify the views with kind 3, code 3.
    void SetFont(const CFontRecord& font);
    void ResetFont();
    // Reads the font saved for this model (section FONTS, key = title upper-cased).
    void ReadSavedFont();
    // Writes the font (not for "UNTITLED"). No-op without a settings store.
    void SaveFont() const;

    // --- pages and look-ups ------------------------------------------------------------
    int PageCount() const { return static_cast<int>(m_pages.size()); }
    CPage* PageAt(int index) const;
    const std::vector<std::unique_ptr<CPage>>& Pages() const { return m_pages; }
    // 0-based; nullptr unless both indexes are in range.
    CElement* FindElement(int pageIndex, int elementIndex) const;
    // The page whose element list holds the element, or -1.
    int PageOfElement(const CElement* element) const;

    // The page whose tab is selected in the model pane container (0 when none was set).
    int CurrentPage() const { return m_currentPage; }
    void SetCurrentPage(int pageIndex) { m_currentPage = pageIndex; }
    // pageIndex, or the current page for -1; nullptr when out of range.
    CPage* ResolvePage(int pageIndex) const;

    // On a page (-1: current): the parent of the group in which e is a child.
    CElement* ParentElementOf(const CElement* e, int pageIndex = -1) const;
    // The group whose parent is e.
    CGroup* GroupWithParent(const CElement* e, int pageIndex = -1) const;
    // The first group having e as parent or child.
    CGroup* GroupOf(const CElement* e, int pageIndex = -1) const;
    // The first link (over all pages, symbols and counters) with e as an end, or nullptr.
    CLink* FirstCounterLinkOf(const CElement* e) const;

    void ClearVisited();
    void ClearRelationHighlights();

    // --- relations -----------------------------------------------------------------------
    // Counts relations from e (key or nullptr for all instances) for the counters of a page
    // (-1: current), then notifies kind 3, code 2.
    void CountPageRelations(CElement* e, int pageIndex, const std::string* key);
    // Every counter of every page back to -1; notifies kind 3, code 2.
    void ResetCounters();
    // Loads the relation files of every relation-capable link. Returns 1 when every load
    // succeeded (skips do not count), else 0.
    int ReadAllRelations(int direct);

    // The instance whose relations were requested last.
    using RelationSource = CRelationSource;
    RelationSource relationSource;

private:
    void DeleteContents();
    void PropagateEnabled();
    int ParseElements(const platform::ParsedProfile& profile, const std::string& section,
                      CPage& page);
    int ParseGroups(const platform::ParsedProfile& profile, const std::string& section,
                    CPage& page);
    int ParseLinks(const platform::ParsedProfile& profile, const std::string& section,
                   CPage& page);
    int ParseSymbols(const platform::ParsedProfile& profile, const std::string& section,
                     CPage& page);
    // Reads a value (cut to 298 characters) and records the entry as the load position.
    std::string ReadKey(const platform::ParsedProfile& profile, const std::string& section,
                        const std::string& key);

    CModelContext& m_context;
    std::vector<std::unique_ptr<CPage>> m_pages;
    std::vector<IModelView*> m_views;
    CUpdateHint m_hint;
    std::string m_pathName;
    std::string m_title = "Untitled";
    CFontRecord m_font;
    int m_currentPage = 0;
    std::shared_ptr<const platform::ParsedProfile> m_profile; // while loading
    CEntryRef m_loadPosition;
};
