#include "ScriptHost.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <unistd.h>

uintptr_t CScriptHost::Open(uintptr_t context, uintptr_t view, const std::string& text,
                            const std::string& argument, uint32_t line,
                            const std::string& figureCopy)
{
    auto script = std::make_unique<Script>();
    const std::size_t size = ZEL_SCRIPT_TEXT_OFFSET + text.size() + 1;
    script->storage = std::make_unique<uint64_t[]>((size + 7) / 8);
    auto* record = reinterpret_cast<ZelScriptRecord*>(script->storage.get());
    record->size = static_cast<uint32_t>(size);
    auto serial = std::find_if(m_serials.begin(), m_serials.end(),
                               [view](const auto& entry) { return entry.first == view; });
    if (serial == m_serials.end())
        serial = m_serials.insert(m_serials.end(), {view, 0});
    record->serial = ++serial->second;
    record->line = line;
    std::memcpy(reinterpret_cast<char*>(record) + ZEL_SCRIPT_TEXT_OFFSET, text.c_str(),
                text.size() + 1);
    script->context = context;
    script->view = view;
    script->text = text;
    script->argument = argument;
    script->figureCopy = figureCopy;
    Script& made = *script;
    m_scripts.push_back(std::move(script));

    made.constructing = true;
    const uintptr_t argumentWord = reinterpret_cast<uintptr_t>(made.argument.c_str());
    const uintptr_t word = made.Word();
    const int called =
        m_plugins.ConstructScript(context, view, made.Record(), word, made.text, argumentWord);
    // The construct procedures may have released or closed the view meanwhile.
    Script* after = Find(word);
    if (after != nullptr) {
        after->constructing = false;
        after->holds += called;
        if (!after->figureTaken)
            RemoveCopy(*after);
    }
    Collect();
    return word;
}

std::vector<uintptr_t> CScriptHost::LiveWords(uintptr_t view) const
{
    std::vector<uintptr_t> words;
    for (const auto& script : m_scripts)
        if (script->view == view && script->live)
            words.push_back(script->Word());
    return words;
}

int CScriptHost::RefreshView(uintptr_t view)
{
    int refreshed = 0;
    // A procedure may close scripts: each is looked up again before its call.
    for (uintptr_t word : LiveWords(view)) {
        Script* script = Find(word);
        if (script == nullptr || !script->live)
            continue;
        m_plugins.RefreshScript(script->context, script->view, script->Record(), word,
                                script->text);
        ++refreshed;
    }
    return refreshed;
}

int CScriptHost::CloseView(uintptr_t view)
{
    int destructed = 0;
    for (uintptr_t word : LiveWords(view))
        if (Script* script = Find(word); script != nullptr && script->live) {
            Destruct(*script);
            ++destructed;
        }
    std::erase_if(m_serials, [view](const auto& entry) { return entry.first == view; });
    Collect();
    return destructed;
}

void CScriptHost::Destruct(Script& script)
{
    script.live = false;
    const uintptr_t word = script.Word();
    // The record stays valid for the call: freeing waits for Collect.
    m_plugins.DestructScript(script.context, script.view, script.Record(), word, script.text);
}

uintptr_t CScriptHost::ViewOfRecord(uintptr_t record) const
{
    for (const auto& script : m_scripts)
        if (record != 0 && script->Record() == record)
            return script->view;
    return 0;
}

uintptr_t CScriptHost::RecordOf(uintptr_t word) const
{
    const Script* script = Find(word);
    return script != nullptr ? script->Record() : 0;
}

std::size_t CScriptHost::LiveCount(uintptr_t view) const
{
    return static_cast<std::size_t>(
        std::count_if(m_scripts.begin(), m_scripts.end(),
                      [view](const auto& script) { return script->view == view && script->live; }));
}

void CScriptHost::Release(uintptr_t view, uintptr_t word)
{
    Script* script = Find(word);
    if (script == nullptr || script->view != view || script->holds <= 0) {
        // During construction the hold is not counted yet: count the release ahead.
        if (script != nullptr && script->view == view && script->constructing)
            --script->holds;
        return;
    }
    --script->holds;
    Collect();
}

void CScriptHost::NoteLoaded(const std::string& path)
{
    // The plug-in makes the path from the temporary folder and the name itself: compare the
    // paths, not their spelling.
    const auto normal = [](const std::string& text) {
        return std::filesystem::path(text).lexically_normal();
    };
    const std::filesystem::path loaded = normal(path);
    for (const auto& script : m_scripts)
        if (!script->figureCopy.empty() && normal(script->figureCopy) == loaded)
            script->figureTaken = true;
}

void CScriptHost::FreeAll()
{
    std::vector<uintptr_t> views;
    for (const auto& script : m_scripts)
        if (script->live && std::find(views.begin(), views.end(), script->view) == views.end())
            views.push_back(script->view);
    for (uintptr_t view : views)
        CloseView(view);
    for (const auto& script : m_scripts)
        RemoveCopy(*script);
    m_scripts.clear();
    m_serials.clear();
}

CScriptHost::Script* CScriptHost::Find(uintptr_t word) const
{
    for (const auto& script : m_scripts)
        if (script->Word() == word)
            return script.get();
    return nullptr;
}

void CScriptHost::Collect()
{
    std::erase_if(m_scripts, [](const std::unique_ptr<Script>& script) {
        if (script->live || script->constructing || script->holds > 0)
            return false;
        RemoveCopy(*script);
        return true;
    });
}

void CScriptHost::RemoveCopy(Script& script)
{
    if (script.figureCopy.empty())
        return;
    ::unlink(script.figureCopy.c_str());
    script.figureCopy.clear();
}
