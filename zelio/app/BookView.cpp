#include "BookView.h"

#include "BrowserHost.h"
#include "text/TextDecode.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {

const QColor kHitColour(255, 240, 120);
const QColor kCurrentHitColour(255, 150, 50);
// Hits are marked from a screen above the visible part to a screen below it, and at least
// this many characters around it, so that small scrolls find their marks in place.
constexpr int kMinMarkSpan = 20000;
// At most this many marks at a time, whatever the density of the hits.
constexpr int kMaxMarks = 2000;

// Item data of the script list: which list, and the index in it.
constexpr int kScriptKindRole = Qt::UserRole;
constexpr int kScriptIndexRole = Qt::UserRole + 1;
enum ScriptListKind
{
    kUserDocumentItem = 1,
    kFigureItem = 2
};

// Lines of a file's text per block of the document.
constexpr int kLinesPerBlock = 8;

// The characters a document takes as the end of a block.
bool IsLineBreak(QChar c)
{
    return c == QChar('\n') || c == QChar('\r') || c == QChar::ParagraphSeparator ||
           c == QChar::LineSeparator || c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1;
}

bool IsAscii(const std::string& text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

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
    m_fileList = new QComboBox(this);
    m_fileList->setObjectName("files");
    m_fileList->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_fileList->setToolTip(tr("Content files of the book"));
    m_hitLabel = new QLabel(this);
    m_tools = new QToolButton(this);
    m_tools->setText(tr("&Tools"));
    m_tools->setPopupMode(QToolButton::InstantPopup);
    m_tools->setVisible(false);
    bar->addWidget(previous);
    bar->addWidget(next);
    bar->addWidget(m_fileList);
    bar->addWidget(m_hitLabel, 1);
    bar->addWidget(m_tools);
    layout->addLayout(bar);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName("text");
    m_text->setReadOnly(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setUndoRedoEnabled(false);
    m_text->setCenterOnScroll(false);
    m_text->viewport()->installEventFilter(this);
    m_scriptList = new QTreeWidget(this);
    m_scriptList->setObjectName("scripts");
    m_scriptList->setHeaderHidden(true);
    m_scriptList->setVisible(false);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_text);
    splitter->addWidget(m_scriptList);
    splitter->setStretchFactor(0, 4);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);
    connect(m_scriptList, &QTreeWidget::itemActivated, this, &CBookView::OnScriptItemActivated);
    // The plug-in that adds user documents replaces the file while the browser runs: watch
    // the file and the book folder, and read again a moment after the last change.
    m_watcher = new QFileSystemWatcher(this);
    m_reloadTimer = new QTimer(this);
    m_reloadTimer->setSingleShot(true);
    m_reloadTimer->setInterval(150);
    connect(m_reloadTimer, &QTimer::timeout, this, [this] {
        ReloadUserDocuments();
        WatchUserDocFile();
    });
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_reloadTimer,
            qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_reloadTimer,
            qOverload<>(&QTimer::start));
    auto* refresh = new QShortcut(QKeySequence::Refresh, this);
    refresh->setContext(Qt::WidgetWithChildrenShortcut);
    connect(refresh, &QShortcut::activated, this, &CBookView::Refresh);
    connect(previous, &QToolButton::clicked, this, &CBookView::PreviousHit);
    connect(next, &QToolButton::clicked, this, &CBookView::NextHit);
    connect(m_fileList, &QComboBox::activated, this, &CBookView::ShowFile);
    // The view moves by the scroll bar, and by the text view itself (to show the cursor),
    // which then only asks for the viewport's update.
    connect(m_text->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { ViewMoved(false); });
    connect(m_text, &QPlainTextEdit::updateRequest, this, [this] { ViewMoved(false); });
    connect(m_text, &QPlainTextEdit::cursorPositionChanged, this, &CBookView::FollowCursorFile);
    setWindowTitle(title);
    UpdateLabel();
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

void CBookView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ViewMoved(false);
}

bool CBookView::ShowBook(uintptr_t bookHandle)
{
    zelio::CBookInfo info;
    if (!zelio::DescribeBook(bookHandle, info))
        return false;
    if (bookHandle == m_bookHandle)
        return true;
    if (info.folder == m_bookFolder && !m_fileStarts.empty()) {
        // The same book under another handle: what is shown stays.
        m_bookHandle = bookHandle;
        return true;
    }
    if (!m_bookFolder.empty())
        emit BookReplaced(this);
    m_bookHandle = bookHandle;
    m_bookFolder = info.folder;
    m_figures.clear();
    m_bookTitle = QString::fromStdString(platform::DecodeToUtf8(info.title));
    m_hits.clear();
    m_current = -1;
    m_headingStarts.clear();
    m_fileStarts.clear();
    m_fileOffsets.clear();

    // The whole book as one text, set in one go: inserting it piece by piece would lay the
    // document out again for every piece. Every line break stays one position, so the
    // positions recorded here are the document's; but most become line separators inside a
    // block, for a document of a block per line takes long to build.
    QString all;
    QStringList names;
    std::string text;
    m_blockLines.clear();
    int line = 0;
    const auto newBlock = [this, &line] { m_blockLines.push_back(line); };
    newBlock();
    for (std::size_t i = 0; i < info.files.size(); ++i) {
        if (i > 0) {
            all += QChar('\n');
            ++line;
            newBlock();
        }
        QString name = QString::fromStdString(platform::DecodeToUtf8(info.files[i]));
        // A heading is one line, whatever the file's name holds.
        std::replace_if(name.begin(), name.end(), IsLineBreak, QChar(' '));
        names.append(name);
        m_headingStarts.push_back(static_cast<int>(all.size()));
        all += name;
        all += QChar('\n');
        ++line;
        newBlock();
        m_fileStarts.push_back(static_cast<int>(all.size()));
        zelio::ReadBookText(bookHandle, i, text);
        const std::vector<zelio::CFigureReference> figures = zelio::FindFigureReferences(text);
        if (!figures.empty()) {
            const std::vector<int> offsets = IsAscii(text) || !platform::IsValidUtf8(text)
                                                 ? std::vector<int>()
                                                 : Utf8ToUtf16Offsets(text);
            const auto position = [&](std::size_t byte) {
                return m_fileStarts.back() +
                       (offsets.empty() ? static_cast<int>(byte) : offsets[byte]);
            };
            for (const zelio::CFigureReference& figure : figures)
                m_figures.push_back({figure.name, position(figure.begin), position(figure.end),
                                     line + static_cast<int>(figure.line)});
        }
        if (IsAscii(text)) {
            m_fileOffsets.push_back(Offsets::Bytes);
            all += QLatin1StringView(text.data(), static_cast<qsizetype>(text.size()));
        } else if (platform::IsValidUtf8(text)) {
            m_fileOffsets.push_back(Offsets::Utf8);
            all += QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        } else {
            // Windows-1252 decodes every byte to one character.
            m_fileOffsets.push_back(Offsets::Bytes);
            all += QString::fromStdString(platform::DecodeToUtf8(text));
        }
        QChar* c = all.data() + m_fileStarts.back();
        QChar* const end = all.data() + all.size();
        int linesInBlock = 0;
        for (; c != end; ++c) {
            if (!IsLineBreak(*c))
                continue;
            ++line;
            if (++linesInBlock < kLinesPerBlock) {
                *c = QChar::LineSeparator;
            } else {
                *c = QChar('\n');
                linesInBlock = 0;
                newBlock();
            }
        }
    }
    m_text->setExtraSelections({});
    m_markedCount = 0;
    m_shownTop = -1;
    m_text->setPlainText(all);
    all.clear();

    QTextCharFormat heading;
    heading.setFontWeight(QFont::Bold);
    heading.setFontPointSize(m_text->font().pointSizeF() * 1.3);
    QTextDocument* document = m_text->document();
    for (std::size_t i = 0; i < m_headingStarts.size(); ++i) {
        QTextCursor cursor(document);
        cursor.setPosition(m_headingStarts[i]);
        cursor.setPosition(m_fileStarts[i] - 1, QTextCursor::KeepAnchor);
        cursor.setCharFormat(heading);
    }
    QTextCharFormat link;
    link.setForeground(palette().link());
    link.setFontUnderline(true);
    for (const Figure& figure : m_figures) {
        QTextCursor cursor(document);
        cursor.setPosition(figure.begin);
        cursor.setPosition(figure.end, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(link);
    }
    m_fileList->clear();
    m_fileList->addItems(names);
    m_userDocuments.clear();
    ReloadUserDocuments();
    FillScriptList();
    WatchUserDocFile();
    QTextCursor cursor(document);
    m_text->setTextCursor(cursor);
    setWindowTitle(m_title.isEmpty() ? m_bookTitle : m_title + " - " + m_bookTitle);
    UpdateLabel();
    return true;
}

int CBookView::MarkHits(const std::string& query)
{
    long hits = 0;
    std::vector<zelio::CBookFileHits> files;
    if (m_bookHandle == 0 || zelio::SearchBook(m_bookHandle, query.c_str(), hits, files) != 0)
        return -1;
    m_hits.clear();
    m_hits.reserve(static_cast<std::size_t>(std::max(0L, hits)));
    std::string text;
    for (const zelio::CBookFileHits& file : files) {
        if (file.fileIndex >= m_fileStarts.size())
            continue;
        // Ranges are byte offsets of the file's text; only a text with characters beyond
        // ASCII needs them mapped, and only then is it read again.
        std::vector<int> offsets;
        std::size_t size = std::numeric_limits<std::size_t>::max();
        if (m_fileOffsets[file.fileIndex] == Offsets::Utf8) {
            zelio::ReadBookText(m_bookHandle, file.fileIndex, text);
            offsets = Utf8ToUtf16Offsets(text);
            size = text.size();
        }
        const auto position = [&](std::size_t byte) {
            byte = std::min(byte, size);
            return offsets.empty() ? static_cast<int>(byte) : offsets[byte];
        };
        const int start = m_fileStarts[file.fileIndex];
        // A range never reaches past its file's text into the next heading.
        const int limit = file.fileIndex + 1 < m_headingStarts.size()
                              ? m_headingStarts[file.fileIndex + 1] - 1
                              : m_text->document()->characterCount() - 1;
        for (const auto& range : file.ranges)
            m_hits.push_back({std::min(start + position(range.first), limit),
                              std::min(start + position(range.second), limit)});
    }
    std::sort(m_hits.begin(), m_hits.end(),
              [](const Hit& a, const Hit& b) { return a.begin < b.begin; });
    m_current = m_hits.empty() ? -1 : 0;
    if (m_hits.empty())
        ViewMoved(true);
    ShowCurrent();
    UpdateLabel();
    return 0;
}

QString CBookView::HitText(int i) const
{
    if (i < 0 || i >= HitCount())
        return QString();
    QTextCursor cursor(m_text->document());
    cursor.setPosition(m_hits[i].begin);
    cursor.setPosition(m_hits[i].end, QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

int CBookView::HitFile(int i) const
{
    return i < 0 || i >= HitCount() ? -1 : FileAt(m_hits[i].begin);
}

void CBookView::NextHit()
{
    if (m_hits.empty())
        return;
    m_current = (m_current + 1) % HitCount();
    ShowCurrent();
    UpdateLabel();
}

void CBookView::PreviousHit()
{
    if (m_hits.empty())
        return;
    m_current = (m_current + HitCount() - 1) % HitCount();
    ShowCurrent();
    UpdateLabel();
}

int CBookView::CurrentFile() const
{
    return FileAt(m_text->textCursor().position());
}

void CBookView::ShowFile(int index)
{
    if (index < 0 || index >= FileCount())
        return;
    QTextCursor cursor(m_text->document());
    cursor.setPosition(m_headingStarts[index]);
    m_text->setTextCursor(cursor);
    // The heading goes to the top of the view.
    m_text->verticalScrollBar()->setValue(cursor.block().firstLineNumber());
    ViewMoved(false);
}

int CBookView::FileAt(int position) const
{
    const auto after = std::upper_bound(m_headingStarts.begin(), m_headingStarts.end(), position);
    return after == m_headingStarts.begin() ? -1
                                            : static_cast<int>(after - m_headingStarts.begin()) - 1;
}

void CBookView::ShowCurrent()
{
    if (m_current < 0)
        return;
    QTextCursor cursor(m_text->document());
    cursor.setPosition(m_hits[m_current].begin);
    m_text->setTextCursor(cursor);
    m_text->ensureCursorVisible();
    ViewMoved(true);
    emit HitChanged();
}

void CBookView::UpdateMarks(int top, int bottom)
{
    if (m_hits.empty()) {
        if (m_markedCount > 0)
            m_text->setExtraSelections({});
        m_markedCount = 0;
        return;
    }
    const int span = std::max(bottom - top, kMinMarkSpan);
    const int from = top - span;
    const int to = bottom + span;
    const auto mark = [this](const Hit& hit, bool current) {
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(m_text->document());
        selection.cursor.setPosition(hit.begin);
        selection.cursor.setPosition(hit.end, QTextCursor::KeepAnchor);
        selection.format.setBackground(current ? kCurrentHitColour : kHitColour);
        return selection;
    };
    QList<QTextEdit::ExtraSelection> selections;
    auto first = std::lower_bound(m_hits.begin(), m_hits.end(), from,
                                  [](const Hit& hit, int position) { return hit.end < position; });
    for (auto it = first; it != m_hits.end() && it->begin <= to && selections.size() < kMaxMarks;
         ++it)
        selections.append(mark(*it, it - m_hits.begin() == m_current));
    const int firstIndex = static_cast<int>(first - m_hits.begin());
    if (m_current >= 0 && (m_current < firstIndex || m_current >= firstIndex + selections.size()))
        selections.append(mark(m_hits[m_current], true));
    m_markedCount = static_cast<int>(selections.size());
    m_text->setExtraSelections(selections);
}

void CBookView::UpdateLabel()
{
    if (m_hits.empty())
        m_hitLabel->setText(m_bookHandle != 0 ? tr("No hits marked") : QString());
    else
        m_hitLabel->setText(tr("Hit %1 of %2").arg(m_current + 1).arg(HitCount()));
}

int CBookView::LineAt(int position) const
{
    const QTextBlock block = m_text->document()->findBlock(position);
    if (!block.isValid() || block.blockNumber() >= static_cast<int>(m_blockLines.size()))
        return 0;
    const QString text = block.text();
    const int upTo = std::min<int>(position - block.position(), static_cast<int>(text.size()));
    return m_blockLines[block.blockNumber()] +
           static_cast<int>(std::count(text.begin(), text.begin() + upTo, QChar::LineSeparator));
}

void CBookView::ViewMoved(bool marksChanged)
{
    const QRect area = m_text->viewport()->rect();
    const int top = m_text->cursorForPosition(area.topLeft()).position();
    const int bottom = m_text->cursorForPosition(area.bottomRight()).position();
    const bool moved = top != m_shownTop || bottom != m_shownBottom;
    if (!moved && !marksChanged)
        return;
    m_shownTop = top;
    m_shownBottom = bottom;
    UpdateMarks(top, bottom);
    if (!moved)
        return;
    const long first = LineAt(top);
    emit Scrolled(first, std::max<long>(1, LineAt(bottom) - first + 1));
}

void CBookView::FollowCursorFile()
{
    const int file = CurrentFile();
    if (file >= 0 && file != m_fileList->currentIndex())
        m_fileList->setCurrentIndex(file);
}

bool CBookView::ReloadUserDocuments()
{
    std::vector<zelio::CUserDocument> documents = m_bookFolder.empty()
                                                      ? std::vector<zelio::CUserDocument>()
                                                      : zelio::ReadUserDocuments(m_bookFolder);
    const auto same = [](const zelio::CUserDocument& a, const zelio::CUserDocument& b) {
        return a.entity == b.entity && a.referenceFile == b.referenceFile && a.file == b.file &&
               a.title == b.title && a.description == b.description && a.docnum == b.docnum;
    };
    if (std::equal(documents.begin(), documents.end(), m_userDocuments.begin(),
                   m_userDocuments.end(), same))
        return false;
    m_userDocuments = std::move(documents);
    FillScriptList();
    return true;
}

void CBookView::FillScriptList()
{
    m_scriptList->clear();
    if (!m_userDocuments.empty()) {
        auto* section = new QTreeWidgetItem(m_scriptList, {tr("User Documents")});
        for (std::size_t i = 0; i < m_userDocuments.size(); ++i) {
            const zelio::CUserDocument& document = m_userDocuments[i];
            auto* item = new QTreeWidgetItem(
                section, {QString::fromStdString(platform::DecodeToUtf8(document.title))});
            item->setToolTip(
                0, QString::fromStdString(platform::DecodeToUtf8(
                       document.description.empty() ? document.file : document.description)));
            item->setData(0, kScriptKindRole, kUserDocumentItem);
            item->setData(0, kScriptIndexRole, static_cast<int>(i));
        }
        section->setExpanded(true);
    }
    if (!m_figures.empty()) {
        auto* section = new QTreeWidgetItem(m_scriptList, {tr("Figures")});
        for (std::size_t i = 0; i < m_figures.size(); ++i) {
            auto* item = new QTreeWidgetItem(
                section, {QString::fromStdString(platform::DecodeToUtf8(m_figures[i].name))});
            item->setData(0, kScriptKindRole, kFigureItem);
            item->setData(0, kScriptIndexRole, static_cast<int>(i));
        }
        section->setExpanded(true);
    }
    m_scriptList->setVisible(m_scriptList->topLevelItemCount() > 0);
    // Wide enough for short titles; longer ones are cut, their description in the tool tip.
    m_scriptList->resizeColumnToContents(0);
    const int wanted = m_scriptList->columnWidth(0) + 2 * m_scriptList->frameWidth() + 8;
    m_scriptList->setMinimumWidth(qBound(120, wanted, 200));
}

void CBookView::WatchUserDocFile()
{
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    if (m_bookFolder.empty())
        return;
    const QString folder = QString::fromStdString(m_bookFolder);
    const QString file = QString::fromStdString(zelio::UserDocFilePath(m_bookFolder));
    m_watcher->addPath(folder);
    if (QFileInfo(file).isFile())
        m_watcher->addPath(file);
}

void CBookView::OnScriptItemActivated(QTreeWidgetItem* item)
{
    if (item == nullptr)
        return;
    const int index = item->data(0, kScriptIndexRole).toInt();
    switch (item->data(0, kScriptKindRole).toInt()) {
    case kUserDocumentItem:
        OpenUserDocument(index);
        break;
    case kFigureItem:
        OpenFigure(index);
        break;
    default:
        break;
    }
}

void CBookView::OpenUserDocument(int index)
{
    if (index >= 0 && static_cast<std::size_t>(index) < m_userDocuments.size())
        emit UserDocumentOpened(this, index);
}

void CBookView::OpenFigure(int index)
{
    if (index >= 0 && static_cast<std::size_t>(index) < m_figures.size())
        emit FigureOpened(this, index);
}

void CBookView::Refresh()
{
    ReloadUserDocuments();
    WatchUserDocFile();
    emit RefreshRequested(this);
}

bool CBookView::eventFilter(QObject* watched, QEvent* event)
{
    // A click (no drag) on a figure place of the text opens the figure.
    if (watched == m_text->viewport() && event->type() == QEvent::MouseButtonRelease &&
        !m_figures.empty()) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && !m_text->textCursor().hasSelection()) {
            const int position = m_text->cursorForPosition(mouse->position().toPoint()).position();
            for (std::size_t i = 0; i < m_figures.size(); ++i)
                if (position >= m_figures[i].begin && position < m_figures[i].end) {
                    OpenFigure(static_cast<int>(i));
                    break;
                }
        }
    }
    return QWidget::eventFilter(watched, event);
}
