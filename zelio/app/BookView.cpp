#include "BookView.h"

#include "BrowserHost.h"
#include "text/TextDecode.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QColor kHitColour(255, 240, 120);
const QColor kCurrentHitColour(255, 150, 50);

} // namespace

std::vector<int> Utf8ToUtf16Offsets(const std::string& utf8)
{
    std::vector<int> offsets(utf8.size() + 1, 0);
    int unit = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = 1;
        if (lead >= 0xF0)
            length = 4;
        else if (lead >= 0xE0)
            length = 3;
        else if (lead >= 0xC0)
            length = 2;
        length = std::min(length, utf8.size() - i);
        for (std::size_t k = 0; k < length; ++k)
            offsets[i + k] = unit;
        unit += length == 4 ? 2 : 1;
        i += length;
    }
    offsets[utf8.size()] = unit;
    return offsets;
}

CBookView::CBookView(const QString& name, const QString& title, QWidget* parent)
    : QWidget(parent), m_name(name), m_title(title)
{
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 0);
    auto* previous = new QToolButton(this);
    previous->setText(tr("&Previous Hit"));
    previous->setObjectName("previousHit");
    auto* next = new QToolButton(this);
    next->setText(tr("&Next Hit"));
    next->setObjectName("nextHit");
    m_hitLabel = new QLabel(this);
    m_tools = new QToolButton(this);
    m_tools->setText(tr("&Tools"));
    m_tools->setPopupMode(QToolButton::InstantPopup);
    m_tools->setVisible(false);
    bar->addWidget(previous);
    bar->addWidget(next);
    bar->addWidget(m_hitLabel, 1);
    bar->addWidget(m_tools);
    layout->addLayout(bar);
    m_browser = new QTextBrowser(this);
    m_browser->setOpenLinks(false);
    layout->addWidget(m_browser, 1);
    connect(previous, &QToolButton::clicked, this, &CBookView::PreviousHit);
    connect(next, &QToolButton::clicked, this, &CBookView::NextHit);
    connect(m_browser->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &CBookView::ReportScroll);
    setWindowTitle(title);
    UpdateMarks();
}

CBookView::~CBookView()
{
    if (!m_closing) {
        m_closing = true;
        emit Closing(this);
    }
}

void CBookView::closeEvent(QCloseEvent* event)
{
    if (!m_closing) {
        m_closing = true;
        emit Closing(this);
    }
    event->accept();
}

bool CBookView::ShowBook(uintptr_t bookHandle)
{
    zelio::CBookInfo info;
    if (!zelio::DescribeBook(bookHandle, info))
        return false;
    if (bookHandle == m_bookHandle)
        return true;
    m_bookHandle = bookHandle;
    if (info.folder == m_bookFolder && !m_fileStarts.empty()) {
        // The same book under another handle: what is shown stays.
        return true;
    }
    m_bookFolder = info.folder;
    m_bookTitle = QString::fromStdString(platform::DecodeToUtf8(info.title));
    m_hits.clear();
    m_current = -1;
    m_fileStarts.clear();

    auto* document = m_browser->document();
    document->clear();
    QTextCursor cursor(document);
    QTextCharFormat heading;
    heading.setFontWeight(QFont::Bold);
    heading.setFontPointSize(m_browser->font().pointSizeF() * 1.3);
    QTextCharFormat body;
    for (std::size_t i = 0; i < info.files.size(); ++i) {
        if (i > 0)
            cursor.insertBlock();
        cursor.insertText(QString::fromStdString(platform::DecodeToUtf8(info.files[i])), heading);
        cursor.insertBlock();
        m_fileStarts.push_back(cursor.position());
        std::string text;
        zelio::ReadBookText(bookHandle, i, text);
        cursor.insertText(QString::fromStdString(platform::DecodeToUtf8(text)), body);
    }
    cursor.setPosition(0);
    m_browser->setTextCursor(cursor);
    setWindowTitle(m_title.isEmpty() ? m_bookTitle : m_title + " - " + m_bookTitle);
    UpdateMarks();
    return true;
}

int CBookView::MarkHits(const std::string& query)
{
    long hits = 0;
    std::vector<zelio::CBookFileHits> files;
    if (m_bookHandle == 0 || zelio::SearchBook(m_bookHandle, query.c_str(), hits, files) != 0)
        return -1;
    m_hits.clear();
    for (const zelio::CBookFileHits& file : files) {
        if (file.fileIndex >= m_fileStarts.size())
            continue;
        std::string text;
        zelio::ReadBookText(m_bookHandle, file.fileIndex, text);
        // Ranges are byte offsets of the file's text; text that is not UTF-8 is shown
        // decoded one character per byte.
        const bool utf8 = platform::IsValidUtf8(text);
        const std::vector<int> offsets = utf8 ? Utf8ToUtf16Offsets(text) : std::vector<int>();
        const auto position = [&](std::size_t byte) {
            byte = std::min(byte, text.size());
            return utf8 ? offsets[byte] : static_cast<int>(byte);
        };
        const int start = m_fileStarts[file.fileIndex];
        for (const auto& range : file.ranges)
            m_hits.push_back({start + position(range.first), start + position(range.second)});
    }
    std::sort(m_hits.begin(), m_hits.end(),
              [](const Hit& a, const Hit& b) { return a.begin < b.begin; });
    m_current = m_hits.empty() ? -1 : 0;
    UpdateMarks();
    ShowCurrent();
    return 0;
}

QString CBookView::HitText(int i) const
{
    if (i < 0 || i >= HitCount())
        return QString();
    QTextCursor cursor(m_browser->document());
    cursor.setPosition(m_hits[i].begin);
    cursor.setPosition(m_hits[i].end, QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

void CBookView::NextHit()
{
    if (m_hits.empty())
        return;
    m_current = (m_current + 1) % HitCount();
    UpdateMarks();
    ShowCurrent();
}

void CBookView::PreviousHit()
{
    if (m_hits.empty())
        return;
    m_current = (m_current + HitCount() - 1) % HitCount();
    UpdateMarks();
    ShowCurrent();
}

void CBookView::ShowCurrent()
{
    if (m_current < 0)
        return;
    QTextCursor cursor(m_browser->document());
    cursor.setPosition(m_hits[m_current].begin);
    m_browser->setTextCursor(cursor);
    m_browser->ensureCursorVisible();
    emit HitChanged();
}

void CBookView::UpdateMarks()
{
    QList<QTextEdit::ExtraSelection> selections;
    selections.reserve(static_cast<qsizetype>(m_hits.size()));
    for (std::size_t i = 0; i < m_hits.size(); ++i) {
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(m_browser->document());
        selection.cursor.setPosition(m_hits[i].begin);
        selection.cursor.setPosition(m_hits[i].end, QTextCursor::KeepAnchor);
        selection.format.setBackground(static_cast<int>(i) == m_current ? kCurrentHitColour
                                                                        : kHitColour);
        selections.append(selection);
    }
    m_browser->setExtraSelections(selections);
    if (m_hits.empty())
        m_hitLabel->setText(m_bookHandle != 0 ? tr("No hits marked") : QString());
    else
        m_hitLabel->setText(tr("Hit %1 of %2").arg(m_current + 1).arg(HitCount()));
}

void CBookView::ReportScroll()
{
    const QTextCursor top = m_browser->cursorForPosition(QPoint(0, 0));
    const QTextCursor bottom =
        m_browser->cursorForPosition(QPoint(0, m_browser->viewport()->height() - 1));
    const long first = top.blockNumber();
    emit Scrolled(first, std::max<long>(1, bottom.blockNumber() - first + 1));
}
