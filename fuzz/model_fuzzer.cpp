// Opens arbitrary bytes as a model file, then does what the browser does with a model that
// loaded: reads every relation file, dumps the model, counts relations from a few elements and
// lists the related instances. The syntax test runs on every input, loadable or not.
//
// The model sits in a per-process folder next to a few small instance and relation files
// (a.ins, b.ins, c.ins, ab.rel, ba.rel, and the sample model's files when the source tree is
// at hand), so that elements naming them are enabled and links naming them have relations.
#include "FuzzModelFixture.h"
#include "ModelDump.h"
#include "SyntaxTest.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace {

namespace fs = std::filesystem;

struct Folder : fuzz::FuzzFolder
{
    Folder() : FuzzFolder("model_fuzzer")
    {
        Write("a.ins", "A-1|one^1^x\nA-2|two^2^y\nB-1|alpha^beta\nK1|k^1\n");
        Write("b.ins", "B-1|bee\nB-2|bee two^2\nA-1|shared key\n");
        Write("c.ins", "C-1|sea\r\nc-2|lower^case\r\n");
        Write("ab.rel", "A-1,B-1\nA-1,B-2\nA-2,B-1\nK1,B-2\nb-1,a-1\nC-1,A-1\n");
        Write("ba.rel", "B-1,A-1\nB-2,A-2\nB-2,C-1\n");
#ifdef MB_EXAMPLES_DIR
        // The sample model's data, so that its model file (a seed) loads with relations.
        std::error_code error;
        for (const fs::directory_entry& entry : fs::directory_iterator(MB_EXAMPLES_DIR, error)) {
            const std::string ext = entry.path().extension().string();
            if (ext == ".ins" || ext == ".rel")
                fs::copy_file(entry.path(), Path() / entry.path().filename(),
                              fs::copy_options::overwrite_existing, error);
        }
#endif
        model = (Path() / "fuzz.mdl").string();
    }
    std::string model;
};

// Answers every question Yes, No, Yes, ... and records it as the scripted prompter does.
class AlternatingPrompter : public platform::ScriptedPrompter
{
public:
    platform::Answer
    ShowMessage(int number, const std::string& text, platform::Icon icon, platform::Buttons buttons,
                const std::string& caption = std::string(),
                std::optional<platform::Answer> defaultButton = std::nullopt) override
    {
        platform::ScriptedPrompter::ShowMessage(number, text, icon, buttons, caption,
                                                defaultButton);
        switch (buttons) {
        case platform::Buttons::Ok:
            return platform::Answer::Ok;
        case platform::Buttons::OkCancel:
            return m_yes = !m_yes, m_yes ? platform::Answer::Ok : platform::Answer::Cancel;
        default:
            return m_yes = !m_yes, m_yes ? platform::Answer::Yes : platform::Answer::No;
        }
    }

private:
    bool m_yes = false;
};

// Records listed at the most by one load.
constexpr int kMaxListed = 10000;

// A model names its instance and relation files; a name may be a path anywhere. Paths into
// device and process folders could block or never end (/dev/stdin, /dev/zero), which is the
// environment, not the reader: such inputs are not run.
bool NamesSpecialFiles(std::string_view bytes)
{
    static const std::string_view kFolders[] = {"dev", "proc", "sys", "run"};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '/' && bytes[i] != '\\')
            continue;
        for (std::string_view folder : kFolders) {
            if (bytes.size() - i - 1 < folder.size())
                continue;
            bool same = true;
            for (std::size_t k = 0; k < folder.size() && same; ++k) {
                char c = bytes[i + 1 + k];
                if (c >= 'A' && c <= 'Z')
                    c = static_cast<char>(c - 'A' + 'a');
                same = c == folder[k];
            }
            if (same)
                return true;
        }
    }
    return false;
}

void Exercise(CModelDoc& doc)
{
    doc.ReadAllRelations(1);

    std::string dump;
    WriteModelDump(doc, dump);
    if (dump.empty())
        std::abort();

    const int pages = std::min(doc.PageCount(), 4);
    for (int p = 0; p < pages; ++p) {
        CPage* page = doc.PageAt(p);
        doc.SetCurrentPage(p);
        const int count = static_cast<int>(page->elements.size());
        const int picks[] = {0, 1, count - 1};
        for (int pick : picks) {
            CElement* element = page->ElementAt(pick);
            if (!element)
                continue;
            doc.CountPageRelations(element, p, nullptr);
            const std::string key = "A-1";
            doc.CountPageRelations(element, p, &key);
        }
        // List what the counters of the page would list.
        int listed = 0;
        for (const auto& link : page->links) {
            if (listed >= 4)
                break;
            if (link->listingMode == 0 || !link->fromElement)
                continue;
            CElement* other = link->fromElement == link->first ? link->second : link->first;
            if (!other || !other->enabled || other->IsJump())
                continue;
            fuzz::FuzzSink sink(fuzz::Records::Count, kMaxListed);
            LoadInstances(doc, other, nullptr, link.get(), 0, sink);
            ++listed;
        }
        if (CElement* first = page->FirstEnabled()) {
            fuzz::FuzzSink sink(fuzz::Records::Count, kMaxListed);
            LoadInstanceTree(doc, first, nullptr, sink, p);
        }
    }
    doc.ResetCounters();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Folder folder;
    const std::string_view bytes = fuzz::InputBytes(data, size);
    if (NamesSpecialFiles(bytes))
        return 0;
    fuzz::WriteFile(folder.model, bytes);
    // The same path is written again and again, possibly within one clock tick and with the
    // same size: the cached parse must not be reused.
    platform::ClearProfileCache();

    AlternatingPrompter prompter;
    CModelContext context;
    context.prompter = &prompter;
    {
        CModelDoc doc(context);
        if (doc.OnOpenDocument(folder.model))
            Exercise(doc);
        else if (doc.PageCount() != 0)
            std::abort(); // a failed open leaves an empty document
    }

    const CSyntaxReport report = RunSyntaxTest(folder.model);
    if (report.errors < 0 || report.warnings < 0)
        std::abort();
    return 0;
}
