#include "ModelDoc.h"

#include "Messages.h"
#include "ModelContext.h"
#include "StringPattern.h"
#include "StringUtil.h"
#include "files/PathLookup.h"
#include "profile/ProfileReader.h"
#include "settings/SettingsStore.h"

#include <algorithm>
#include <functional>
#include <filesystem>
#include <new>
#include <unordered_set>

namespace {

constexpr std::size_t kValueMax = platform::kDefaultProfileBuffer - 1; // 298 characters

const char kUntitled[] = "Untitled";

// Element, group, link and symbol entries are checked with file-name detection on and
// numbers read as numbers.
int MatchEntry(std::string_view value, std::string_view pat, StringSyntaxName name)
{
    return MatchPattern(value, pat, pattern::kModelSeparators, name, 1, 0);
}

std::string_view Field(std::string_view text, char separator, int n)
{
    std::string_view field;
    if (GetField(text, separator, n, field) == -1)
        return std::string_view();
    return field;
}

} // namespace

CModelDoc::CModelDoc(CModelContext& context) : m_context(context) {}

CModelDoc::~CModelDoc() = default;

// ---------------------------------------------------------------------------------------
// Views and hints

void CModelDoc::AddView(IModelView* view)
{
    if (view && std::find(m_views.begin(), m_views.end(), view) == m_views.end())
        m_views.push_back(view);
}

void CModelDoc::RemoveView(IModelView* view)
{
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void CModelDoc::UpdateAllViews(IModelView* sender, CUpdateHint& hint)
{
    if (hint.code != CUpdateHint::CodeListRelated1 && hint.code != CUpdateHint::CodeListRelated2)
        ClearRelationHighlights();
    // A view may add or remove views while handling a hint; work on a copy.
    const std::vector<IModelView*> views = m_views;
    for (IModelView* view : views) {
        if (view != sender)
            view->OnUpdate(sender, hint);
    }
}

void CModelDoc::Notify(int kind, int code)
{
    m_hint.Set(kind, code);
    UpdateAllViews(nullptr, m_hint);
}

// ---------------------------------------------------------------------------------------
// Opening and closing

void CModelDoc::DeleteContents()
{
    m_pages.clear();
    relationSource = RelationSource();
    m_currentPage = 0;
}

void CModelDoc::OnNewDocument()
{
    DeleteContents();
    m_pathName.clear();
    m_context.modelPath.clear();
    m_context.modelDirectory.clear();
    m_context.collection.clear();
    m_context.publishingId.clear();
    m_title = kUntitled;
    ResetFont();
}

void CModelDoc::OnCloseDocument()
{
    if (m_context.switches.useSavedFont == 1 && !m_pathName.empty())
        SaveFont();
    OnNewDocument();
}

bool CModelDoc::OnOpenDocument(const std::string& requestedPath)
{
    if (onOpening)
        onOpening();

    const std::string path = AbsolutePath(platform::ResolveExistingPath(requestedPath));
    if (!platform::CanOpenForReading(path)) {
        // The framework's own report; the open model stays as it was.
        ShowModelMessage(m_context, 0,
                         StringPrintf("Cannot open the file '%s'.", requestedPath.c_str()),
                         platform::Icon::Exclamation);
        return false;
    }

    if (m_context.switches.useSavedFont == 1 && !m_pathName.empty())
        SaveFont();
    DeleteContents();
    m_pathName.clear();
    ResetFont();

    m_context.modelPath = path;
    int loaded = 0;
    try {
        loaded = LoadModel(path);
    } catch (const std::bad_alloc&) {
        ShowModelMessage(m_context, MSG_NOT_ENOUGH_MEMORY, MessageFormat(MSG_NOT_ENOUGH_MEMORY),
                         platform::Icon::Exclamation);
        loaded = 0;
    }
    m_profile.reset();
    if (!loaded) {
        ShowModelMessage(m_context, MSG_MODEL_NOT_LOADED, MessageFormat(MSG_MODEL_NOT_LOADED),
                         platform::Icon::Exclamation);
        OnNewDocument();
        return false;
    }

    PropagateEnabled();
    if (m_context.switches.loadRelationsOnStartup == 1)
        ReadAllRelations(1);
    Notify(CUpdateHint::KindInformation, CUpdateHint::CodeCreateTabs);
    m_context.collection =
        platform::GetProfileString(path, "DOCUMENTATION", "COLLECTION", "");

    // What the framework does after a successful open: the path, then the title.
    m_pathName = path;
    SetTitle(std::filesystem::path(path).filename().string());
    if (m_context.switches.useSavedFont == 1)
        ReadSavedFont();
    return true;
}

std::string CModelDoc::ReadKey(const platform::ParsedProfile& profile, const std::string& section,
                               const std::string& key)
{
    m_loadPosition.section = section;
    m_loadPosition.key = key;
    const std::string* value = profile.Find(section, key);
    if (!value)
        return std::string();
    return value->size() > kValueMax ? value->substr(0, kValueMax) : *value;
}

int CModelDoc::LoadModel(const std::string& path)
{
    m_loadPosition = CEntryRef();
    m_context.modelPath = path;
    m_context.modelDirectory = DirectoryOf(path);
    std::shared_ptr<const platform::ParsedProfile> profile = platform::LoadProfile(path);
    if (!profile)
        profile = std::make_shared<platform::ParsedProfile>();
    m_profile = profile;

    m_context.publishingId = ReadKey(*profile, "DOCUMENTATION", "PUBLISHING ID");
    m_context.collection = ReadKey(*profile, "DOCUMENTATION", "COLLECTION");

    const std::string pages = ReadKey(*profile, "MODEL", "PAGES");
    std::string name;
    for (int p = 1; GetField(pages, ',', p, name) != -1; ++p) {
        name = TrimBlanks(name);
        std::unique_ptr<CPage> page;
        try {
            page = std::make_unique<CPage>();
        } catch (const std::bad_alloc&) {
            ShowModelMessage(m_context, MSG_NOT_ENOUGH_MEMORY,
                             MessageFormat(MSG_NOT_ENOUGH_MEMORY), platform::Icon::Information);
            return 0;
        }
        page->name = name;
        CStatusProgress status(m_context.statusBar, "Loading Model: " + name + " ...");
        if (!ParsePage(name, *page))
            return 0;
        m_pages.push_back(std::move(page));
    }

    if (!LateBind()) {
        ShowModelMessage(m_context, MSG_LATE_BIND_FAILED, MessageFormat(MSG_LATE_BIND_FAILED),
                         platform::Icon::Exclamation);
        return 0;
    }
    m_loadPosition = CEntryRef();
    Notify(CUpdateHint::KindModelContainer, CUpdateHint::CodeCreateTabs);
    return 1;
}

int CModelDoc::ParsePage(const std::string& section, CPage& page)
{
    std::shared_ptr<const platform::ParsedProfile> profile = m_profile;
    if (!profile)
        profile = std::make_shared<platform::ParsedProfile>();

    struct SizeKey
    {
        const char* key;
        StringSyntaxName name;
        int* width;
        int* height;
    };
    const SizeKey sizes[] = {
        {"SIZE", STRSNTX_SIZE, &page.modelWidth, &page.modelHeight},
        {"ELEMENT SIZE", STRSNTX_ELEMENT_SIZE, &page.elementWidth, &page.elementHeight},
    };
    for (const SizeKey& size : sizes) {
        const std::string value = ReadKey(*profile, section, size.key);
        if (value.empty()) {
            ShowModelMessage(m_context, MSG_UNABLE_TO_READ_KEY,
                             StringPrintf(MessageFormat(MSG_UNABLE_TO_READ_KEY), size.key,
                                          section.c_str()),
                             platform::Icon::Exclamation);
            return 0;
        }
        if (!MatchEntry(value, pattern::kSize, size.name))
            return 0;
        const auto [w, h] = ParseIntPair(value, ',');
        *size.width = w;
        *size.height = h;
    }

    const std::string image = ReadKey(*profile, section, "IMAGE");
    if (!image.empty()) {
        if (!MatchEntry(image, pattern::kImage, STRSNTX_IMAGE))
            return 0;
        page.icon = ReadInt(image);
    }

    if (!ParseElements(*profile, section, page))
        return 0;
    if (page.elements.empty()) {
        ShowModelMessage(m_context, MSG_NO_VALID_ELEMENTS,
                         StringPrintf(MessageFormat(MSG_NO_VALID_ELEMENTS), section.c_str()),
                         platform::Icon::Exclamation);
        return 0;
    }
    return ParseGroups(*profile, section, page) && ParseLinks(*profile, section, page) &&
           ParseSymbols(*profile, section, page);
}

int CModelDoc::ParseElements(const platform::ParsedProfile& profile, const std::string& section,
                             CPage& page)
{
    for (int n = 1;; ++n) {
        const std::string entry = ReadKey(profile, section, MakeEntryKey("E", n));
        if (entry.empty())
            return 1;
        const bool normal = MatchEntry(entry, pattern::kElementNormal, STRSNTX_NONE);
        if (!normal && !MatchEntry(entry, pattern::kElementJump, STRSNTX_NONE))
            return 0;

        auto element = std::make_unique<CElement>();
        element->x = ReadInt(Field(entry, ',', 1));
        element->y = ReadInt(Field(entry, ',', 2));
        element->name = TrimBlanks(Field(entry, ',', 3));
        element->type = ReadInt(Field(entry, ',', 4));
        if (element->type == 1) {
            element->jumpTarget = ExtractNumber(Field(entry, ',', 5));
            element->enabled = 1;
        } else {
            if (!MatchEntry(entry, pattern::kElementNormal, STRSNTX_ELEMENT_NORMAL))
                return 0;
            element->file = TrimBlanks(Field(entry, ',', 5));
            element->enabled =
                FileExists(JoinModelPath(m_context.modelDirectory, element->file));
            element->query = TrimBlanks(Field(entry, ',', 6));
            element->spare = TrimBlanks(Field(entry, ',', 7));
            const std::string_view attributes = Field(entry, ',', 8);
            std::string_view attribute;
            for (int a = 1; GetField(attributes, ';', a, attribute) != -1; ++a)
                element->attributes.push_back(TrimBlanks(attribute));
        }
        page.elements.push_back(std::move(element));
    }
}

int CModelDoc::ParseGroups(const platform::ParsedProfile& profile, const std::string& section,
                           CPage& page)
{
    // An element number as a group writes it: below 1 (or no digit) means element 1.
    auto elementNumber = [](std::string_view field) {
        const int number = ExtractNumber(field);
        return number < 1 ? 1 : number;
    };
    auto reportReference = [&](int element, int group) {
        ShowModelMessage(m_context, MSG_INVALID_GROUP_REFERENCE,
                         StringPrintf(MessageFormat(MSG_INVALID_GROUP_REFERENCE), element, group,
                                      section.c_str()),
                         platform::Icon::Exclamation);
    };

    for (int n = 1;; ++n) {
        const std::string entry = ReadKey(profile, section, MakeEntryKey("G", n));
        if (entry.empty())
            return 1;
        if (!MatchEntry(entry, pattern::kGroup, STRSNTX_GROUP))
            return 0;
        const std::string_view arrow = Field(entry, ',', 1);
        if (!MatchPattern(arrow, pattern::kPair, ";", STRSNTX_NONE, 0, 0))
            return 0;

        auto group = std::make_unique<CGroup>();
        group->arrowX = ReadInt(Field(arrow, ';', 1));
        group->arrowY = ReadInt(Field(arrow, ';', 2));
        group->arrowCode = ReadInt(Field(arrow, ';', 3));
        group->arrowLength = ReadInt(Field(arrow, ';', 4));
        group->halfCell = ReadInt(Field(entry, ',', 2));

        const int parent = elementNumber(Field(entry, ',', 3));
        group->parent = page.ElementAt(parent - 1);
        if (!group->parent) {
            reportReference(parent, n);
            return 0;
        }
        const std::string_view children = Field(entry, ',', 4);
        std::string_view child;
        for (int c = 1; GetField(children, ';', c, child) != -1; ++c) {
            const int number = elementNumber(child);
            CElement* element = page.ElementAt(number - 1);
            if (!element) {
                reportReference(number, n);
                return 0;
            }
            group->children.push_back(element);
        }
        page.groups.push_back(std::move(group));
    }
}

int CModelDoc::ParseLinks(const platform::ParsedProfile& profile, const std::string& section,
                          CPage& page)
{
    // Resolves one end: "Mp;En" among the pages read so far (else kept pending), "En" on
    // this page.
    auto resolve = [&](std::string_view field, CElement*& element, CElementRef& pending) {
        if (MatchPattern(field, pattern::kQualifiedElement, ";", STRSNTX_NONE, 1, 0)) {
            std::string first, second;
            GetField(field, ';', 1, first);
            GetField(field, ';', 2, second);
            const int p = ExtractNumber(first);
            const int e = ExtractNumber(second);
            element = FindElement(p - 1, e - 1);
            if (!element)
                pending = CElementRef{p - 1, e - 1};
        } else {
            element = page.ElementAt(ExtractNumber(field) - 1);
        }
    };

    for (int n = 1;; ++n) {
        const std::string entry = ReadKey(profile, section, MakeEntryKey("L", n));
        if (entry.empty())
            return 1;
        if (!MatchEntry(entry, pattern::kLink, STRSNTX_LINK))
            return 0;
        auto link = std::make_unique<CLink>();
        resolve(Field(entry, ',', 1), link->first, link->pendingFirst);
        resolve(Field(entry, ',', 2), link->second, link->pendingSecond);
        link->halfCell = ReadInt(Field(entry, ',', 3));
        link->kind = ReadInt(Field(entry, ',', 4));
        link->file = TrimBlanks(Field(entry, ',', 5));
        const auto [x, y] = ParseIntPair(Field(entry, ',', 6), ';');
        link->startX = x;
        link->startY = y;
        std::string_view segment;
        for (int k = 7; GetField(entry, ',', k, segment) != -1; ++k) {
            if (!MatchPattern(segment, pattern::kPair, ";", STRSNTX_NONE, 0, 0))
                break;
            const auto [code, length] = ParseIntPair(segment, ';');
            link->segments.push_back(CSegment{code, length});
        }
        page.links.push_back(std::move(link));
    }
}

int CModelDoc::ParseSymbols(const platform::ParsedProfile& profile, const std::string& section,
                            CPage& page)
{
    for (int n = 1;; ++n) {
        const std::string entry = ReadKey(profile, section, MakeEntryKey("S", n));
        if (entry.empty())
            return 1;
        if (!MatchEntry(entry, pattern::kSymbol, STRSNTX_SYMBOL))
            return 0;
        auto symbol = std::make_unique<CSymbol>();
        symbol->x = ReadInt(Field(entry, ',', 1));
        symbol->y = ReadInt(Field(entry, ',', 2));
        symbol->hShift = ReadInt(Field(entry, ',', 3));
        symbol->vShift = ReadInt(Field(entry, ',', 4));
        symbol->kind = ReadInt(Field(entry, ',', 5));
        symbol->label = LinkKindName(symbol->kind);
        if (m_context.switches.showTooltipDetails == 1)
            symbol->label += MessageFormat(1007);
        std::string_view counterField;
        for (int k = 6; GetField(entry, ',', k, counterField) != -1; ++k) {
            if (!MatchPattern(counterField, pattern::kCounter, ";", STRSNTX_NONE, 0, 0))
                return 0;
            CRelationCounter counter;
            counter.linkNumber = ExtractNumber(Field(counterField, ';', 1));
            counter.link = page.LinkAt(counter.linkNumber - 1);
            counter.place = ReadInt(Field(counterField, ';', 2));
            counter.relations = -1;
            symbol->counters.push_back(std::move(counter));
        }
        page.symbols.push_back(std::move(symbol));
    }
}

int CModelDoc::LateBind()
{
    for (const auto& page : m_pages) {
        for (std::size_t n = 0; n < page->links.size(); ++n) {
            CLink& link = *page->links[n];
            if (!link.first)
                link.first = FindElement(link.pendingFirst.page, link.pendingFirst.element);
            if (!link.second)
                link.second = FindElement(link.pendingSecond.page, link.pendingSecond.element);
            if (!link.first || !link.second) {
                m_loadPosition = CEntryRef{page->name, MakeEntryKey("L", static_cast<int>(n) + 1)};
                return 0;
            }
        }
    }
    return 1;
}

void CModelDoc::PropagateEnabled()
{
    for (const auto& page : m_pages) {
        for (const auto& group : page->groups) {
            const bool anyChild =
                std::any_of(group->children.begin(), group->children.end(),
                            [](const CElement* child) { return child->enabled != 0; });
            if (anyChild)
                group->parent->enabled = 1;
        }
    }
}

// ---------------------------------------------------------------------------------------
// Title and font

void CModelDoc::SetTitle(const std::string& title)
{
    m_title = m_pathName.empty() ? title : m_context.collection;
}

const std::string& CModelDoc::Collection() const
{
    return m_context.collection;
}

void CModelDoc::SetFont(const CFontRecord& font)
{
    m_font = font;
    Notify(CUpdateHint::KindModelPane, CUpdateHint::CodeFontChanged);
}

void CModelDoc::ResetFont()
{
    SetFont(CFontRecord::ModelDefault());
}

void CModelDoc::ReadSavedFont()
{
    if (!m_context.settings)
        return;
    const std::string value = m_context.settings->ReadString("FONTS", ToUpperAscii(m_title), "");
    if (value.empty())
        return;
    m_font.ParseSaved(value);
    Notify(CUpdateHint::KindModelPane, CUpdateHint::CodeFontChanged);
}

void CModelDoc::SaveFont() const
{
    const std::string key = ToUpperAscii(m_title);
    // A model without a collection has an empty title: there is no key to save under.
    if (!m_context.settings || key == "UNTITLED" || key.empty())
        return;
    m_context.settings->WriteString("FONTS", key, m_font.Format());
}

// ---------------------------------------------------------------------------------------
// Look-ups

CPage* CModelDoc::PageAt(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_pages.size())
        return nullptr;
    return m_pages[static_cast<std::size_t>(index)].get();
}

CElement* CModelDoc::FindElement(int pageIndex, int elementIndex) const
{
    const CPage* page = PageAt(pageIndex);
    return page ? page->ElementAt(elementIndex) : nullptr;
}

int CModelDoc::PageOfElement(const CElement* element) const
{
    for (std::size_t p = 0; p < m_pages.size(); ++p) {
        if (m_pages[p]->IndexOf(element) >= 0)
            return static_cast<int>(p);
    }
    return -1;
}

CPage* CModelDoc::ResolvePage(int pageIndex) const
{
    return PageAt(pageIndex == -1 ? m_currentPage : pageIndex);
}

CElement* CModelDoc::ParentElementOf(const CElement* e, int pageIndex) const
{
    const CPage* page = ResolvePage(pageIndex);
    const CGroup* group = page ? page->GroupWithChild(e) : nullptr;
    return group ? group->parent : nullptr;
}

CGroup* CModelDoc::GroupWithParent(const CElement* e, int pageIndex) const
{
    const CPage* page = ResolvePage(pageIndex);
    return page ? page->GroupWithParent(e) : nullptr;
}

CGroup* CModelDoc::GroupOf(const CElement* e, int pageIndex) const
{
    const CPage* page = ResolvePage(pageIndex);
    return page ? page->GroupOf(e) : nullptr;
}

CLink* CModelDoc::FirstCounterLinkOf(const CElement* e) const
{
    for (const auto& page : m_pages) {
        for (const auto& symbol : page->symbols) {
            for (const CRelationCounter& counter : symbol->counters) {
                if (counter.link && (counter.link->first == e || counter.link->second == e))
                    return counter.link;
            }
        }
    }
    return nullptr;
}

void CModelDoc::ClearVisited()
{
    for (const auto& page : m_pages) {
        for (const auto& element : page->elements)
            element->visited = 0;
    }
}

void CModelDoc::ClearRelationHighlights()
{
    for (const auto& page : m_pages) {
        for (const auto& element : page->elements)
            element->relationHighlight = 0;
    }
}

// ---------------------------------------------------------------------------------------
// Relations

void CModelDoc::CountPageRelations(CElement* e, int pageIndex, const std::string* key)
{
    CPage* page = ResolvePage(pageIndex);
    if (page && e) {
        CElement* top = page->TopAncestor(e);
        for (const auto& symbol : page->symbols) {
            for (CRelationCounter& counter : symbol->counters) {
                CLink* link = counter.link;
                if (!link)
                    continue;
                auto countFor = [&](CElement* element) {
                    if (element == link->first || element == link->second) {
                        counter.relations = link->CountRelations(m_context, element, key);
                        link->listingMode = key ? 1 : 2;
                    }
                };
                countFor(top);
                // Descend through the group family; a family that loops back on itself is
                // walked once.
                std::unordered_set<const CElement*> seen{top};
                std::function<void(CElement*)> descend = [&](CElement* parent) {
                    const CGroup* group = page->GroupWithParent(parent);
                    if (!group)
                        return;
                    for (CElement* child : group->children) {
                        if (!seen.insert(child).second)
                            continue;
                        countFor(child);
                        descend(child);
                    }
                };
                descend(top);
            }
        }
    }
    Notify(CUpdateHint::KindModelPane, CUpdateHint::CodeRelationMarksReset);
}

void CModelDoc::ResetCounters()
{
    for (const auto& page : m_pages) {
        for (const auto& symbol : page->symbols) {
            for (CRelationCounter& counter : symbol->counters)
                counter.relations = -1;
        }
    }
    Notify(CUpdateHint::KindModelPane, CUpdateHint::CodeRelationMarksReset);
}

int CModelDoc::ReadAllRelations(int direct)
{
    CStatusProgress status(m_context.statusBar, "Reading Relation File ...");
    int result = 1;
    for (const auto& page : m_pages) {
        for (const auto& link : page->links) {
            if (link->IsRelationCapable() && link->EnsureRelations(m_context, direct) == 0)
                result = 0;
        }
    }
    return result;
}
