#include "DocumentationLink.h"

#include "StringPattern.h"
#include "StringUtil.h"
#include "settings/SettingsStore.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::string_view kSection = "DOCUMENTATION";

constexpr std::array<int, CDocumentationLink::TimeoutCount> kTimeouts = {
    1000, 2000,  3000,  4000,  5000,  6000,  7000,  8000,
    9000, 10000, 15000, 20000, 30000, 40000, 50000, 60000};
constexpr std::array<int, CDocumentationLink::SleepCount> kSleeps = {
    0,    1000,  2000,  3000,  4000,  5000,  6000,  7000, 8000,
    9000, 10000, 15000, 20000, 30000, 40000, 50000, 60000};
constexpr std::array<int, CDocumentationLink::ShowCount> kShowCommands = {1, 6, 3};
constexpr std::array<const char*, CDocumentationLink::ShowCount> kShowNames = {
    "Normal", "Minimized", "Maximized"};

template <std::size_t N> std::size_t ClampIndex(int index)
{
    return static_cast<std::size_t>(std::clamp(index, 0, static_cast<int>(N) - 1));
}

std::string DurationText(int milliseconds)
{
    if (milliseconds == 60000)
        return "1 minute";
    const int seconds = milliseconds / 1000;
    return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

} // namespace

int CDocumentationLink::TimeoutMilliseconds(int index)
{
    return kTimeouts[ClampIndex<TimeoutCount>(index)];
}

int CDocumentationLink::SleepMilliseconds(int index)
{
    return kSleeps[ClampIndex<SleepCount>(index)];
}

std::string CDocumentationLink::TimeoutText(int index)
{
    return DurationText(TimeoutMilliseconds(index));
}

std::string CDocumentationLink::SleepText(int index)
{
    return DurationText(SleepMilliseconds(index));
}

int CDocumentationLink::ShowCommandOf(int index)
{
    return kShowCommands[ClampIndex<ShowCount>(index)];
}

std::string CDocumentationLink::ShowName(int index)
{
    return kShowNames[ClampIndex<ShowCount>(index)];
}

const std::string& CDocumentationLink::ViewerDefaults()
{
    static const std::string text =
        "ZELIO.EXE,ZELWIN,ZELIO,OBU,4,CORVELLE.INI,ZELIO,COLLECTION,ZELIO,.ornrc,ORNRC,HOME,2_0";
    return text;
}

std::string CDocumentationLink::ViewerDefault(int n)
{
    std::string field;
    if (n < 1 || GetField(ViewerDefaults(), ',', n, field) < 0)
        return {};
    return field;
}

int CDocumentationLink::DefaultTimeoutIndex()
{
    const int index = ReadInt(ViewerDefault(5));
    return (index >= 0 && index < TimeoutCount) ? index : 0;
}

std::string CDocumentationLink::DefaultViewerProgram() const
{
    std::string path = m_programDirectory;
    // The program directory may come without its trailing separator; the name must not run
    // into the folder's last component.
    if (!path.empty() && path.back() != '/' && path.back() != '\\')
        path += '/';
    return path + ViewerDefault(1);
}

void CDocumentationLink::LoadSettings(const platform::ISettingsStore& store)
{
    m_viewerProgram = store.ReadString(kSection, "PROGRAM", "");
    if (m_viewerProgram.empty())
        m_viewerProgram = DefaultViewerProgram();
    m_className = store.ReadString(kSection, "CLASS NAME", ViewerDefault(2));
    m_ddeService = store.ReadString(kSection, "DDE PROGRAM", ViewerDefault(3));
    m_ddeTopic = store.ReadString(kSection, "DDE TOPIC", ViewerDefault(4));

    const int timeout = store.ReadInt(kSection, "DDE TIMEOUT", -1);
    if (timeout == -1 || !SetTimeoutIndex(timeout))
        m_timeoutIndex = DefaultTimeoutIndex();
    if (!SetSleepIndex(store.ReadInt(kSection, "DDE SLEEP", DefaultSleepIndex)))
        m_sleepIndex = DefaultSleepIndex;
    m_loaded = 1;
}

void CDocumentationLink::SaveSettings(int flag, platform::ISettingsStore& store)
{
    if (flag != 1) {
        LoadSettings(store);
        return;
    }
    store.WriteString(kSection, "PROGRAM", m_viewerProgram);
    store.WriteString(kSection, "CLASS NAME", m_className);
    store.WriteString(kSection, "DDE PROGRAM", m_ddeService);
    store.WriteString(kSection, "DDE TOPIC", m_ddeTopic);
    store.WriteInt(kSection, "DDE TIMEOUT", m_timeoutIndex);
    store.WriteInt(kSection, "DDE SLEEP", m_sleepIndex);
}

void CDocumentationLink::LoadDefaults()
{
    m_viewerProgram = DefaultViewerProgram();
    m_className = ViewerDefault(2);
    m_ddeService = ViewerDefault(3);
    m_ddeTopic = ViewerDefault(4);
    m_timeoutIndex = DefaultTimeoutIndex();
    m_sleepIndex = DefaultSleepIndex;
    m_showMode = 0;
}

bool CDocumentationLink::SetTimeoutIndex(int index)
{
    if (index < 0 || index >= TimeoutCount)
        return false;
    m_timeoutIndex = index;
    return true;
}

bool CDocumentationLink::SetSleepIndex(int index)
{
    if (index < 0 || index >= SleepCount)
        return false;
    m_sleepIndex = index;
    return true;
}

bool CDocumentationLink::SetShowMode(int index)
{
    if (index < 0 || index >= ShowCount)
        return false;
    m_showMode = index;
    return true;
}
