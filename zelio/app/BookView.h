#pragma once

#include "BookScripts.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QPlainTextEdit;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

// A view of one book: every content file in order, each under a heading with its name, as
// plain text in one read-only document, with a list of the files to jump to. Marks the hits
// of a query (the current one in a stronger colour), scrolls the first hit into view and
// steps through them across the files. The view's handle (its address) is what the browser
// calls pass as a view.
//
// The book's scripts are listed beside the text: its user documents (the user-document file,
// read again when it changes and on refresh, F5) and its figure places, which the text also
// shows as links (a click opens one). Opening one is the window's business (signals).
//
// Big books stay fast: the document is built in one pass (one text, headings formatted
// afterwards) with many lines to a block, laid out only where it is seen, and only the hits
// near the visible part carry a mark; the marks follow the scrolling.
class CBookView : public QWidget
{
    Q_OBJECT
public:
    CBookView(const QString& name, const QString& title, QWidget* parent = nullptr);
    ~CBookView() override;

    uintptr_t Handle() const { return reinterpret_cast<uintptr_t>(this); }
    const QString& Name() const { return m_name; }
    const QString& ViewTitle() const { return m_title; }

    // Shows the book (a handle of libzelio); a book already shown is not read again. False
    // when the handle is no live book.
    bool ShowBook(uintptr_t bookHandle);
    uintptr_t BookHandle() const { return m_bookHandle; }
    // The book's folder ("" when none is shown).
    const std::string& BookFolder() const { return m_bookFolder; }
    QString BookTitle() const { return m_bookTitle; }

    // Marks the query's hits: 0 when it ran (also with no hits), -1 when no book is shown or
    // the query cannot run. The first hit becomes current and is scrolled into view.
    int MarkHits(const std::string& query);
    int HitCount() const { return static_cast<int>(m_hits.size()); }
    // The current hit (from 0), -1 when there is none.
    int CurrentHit() const { return m_current; }
    // The text of hit i as shown.
    QString HitText(int i) const;
    // The content file (index from 0) that holds hit i; -1 when there is no such hit.
    int HitFile(int i) const;
    // Step to the following / preceding hit, from the last to the first file and back.
    void NextHit();
    void PreviousHit();

    // The number of content files shown, the file under the text cursor (-1 when none) and
    // a jump to the start of a file (ignored when out of range).
    int FileCount() const { return static_cast<int>(m_fileStarts.size()); }
    int CurrentFile() const;
    void ShowFile(int index);

    QPlainTextEdit* TextView() const { return m_text; }
    QComboBox* FileList() const { return m_fileList; }
    // The number of hits that carry a mark now (those near the visible part).
    int MarkedHitCount() const { return m_markedCount; }
    // The button whose menu carries the plug-ins' items for this view.
    QToolButton* ToolsButton() const { return m_tools; }

    // A figure place of the shown book: its name, document range and line of the text.
    struct Figure
    {
        std::string name;
        int begin = 0;
        int end = 0;
        int line = 0;
    };
    const std::vector<zelio::CUserDocument>& UserDocuments() const { return m_userDocuments; }
    const std::vector<Figure>& Figures() const { return m_figures; }
    // Reads the book's user documents again and lists them; false when the list stayed the
    // same.
    bool ReloadUserDocuments();
    // The list of scripts: a "User Documents" and a "Figures" section.
    QTreeWidget* ScriptList() const { return m_scriptList; }
    // Opens a user document or figure as a click or the list does (index out of range:
    // nothing).
    void OpenUserDocument(int index);
    void OpenFigure(int index);
    // F5: reads the user documents again and asks for the scripts to be refreshed.
    void Refresh();

signals:
    // The first shown line and the number of lines in sight changed.
    void Scrolled(long firstLine, long lineCount);
    // The view is about to go away.
    void Closing(CBookView* view);
    void HitChanged();
    // The user asked for a user document or figure to open (index into the lists).
    void UserDocumentOpened(CBookView* view, int index);
    void FigureOpened(CBookView* view, int index);
    // The user asked for a refresh (after the user documents were read again).
    void RefreshRequested(CBookView* view);
    // The view is about to show another book in place of the one it shows.
    void BookReplaced(CBookView* view);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Hit
    {
        int begin = 0;
        int end = 0;
    };
    // How the byte offsets of a file's hit ranges become document positions.
    enum class Offsets
    {
        Bytes, // ASCII, or not UTF-8 and shown one character per byte: the same
        Utf8   // UTF-8 with other characters: mapped through Utf8ToUtf16Offsets
    };
    void ShowCurrent();
    // Marks the hits from a screen above to a screen below the shown part [top, bottom].
    void UpdateMarks(int top, int bottom);
    void UpdateLabel();
    // After the view may have moved: the marks follow (also when marksChanged) and a move
    // is reported.
    void ViewMoved(bool marksChanged);
    void FollowCursorFile();
    int FileAt(int position) const;
    // The line of the book's text (headings included, from 0) at a document position.
    int LineAt(int position) const;
    void FillScriptList();
    void WatchUserDocFile();
    void OnScriptItemActivated(QTreeWidgetItem* item);

    QString m_name;
    QString m_title;
    uintptr_t m_bookHandle = 0;
    std::string m_bookFolder;
    QString m_bookTitle;
    std::vector<int> m_headingStarts; // document position of each content file's heading
    std::vector<int> m_fileStarts;    // ... and of its text
    std::vector<Offsets> m_fileOffsets;
    std::vector<int> m_blockLines; // the line each block of the document starts with
    std::vector<Hit> m_hits;       // sorted by position
    int m_current = -1;
    int m_markedCount = 0;
    int m_shownTop = -1; // document positions at the corners of the shown part
    int m_shownBottom = -1;
    QPlainTextEdit* m_text = nullptr;
    QComboBox* m_fileList = nullptr;
    QLabel* m_hitLabel = nullptr;
    QToolButton* m_tools = nullptr;
    QTreeWidget* m_scriptList = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_reloadTimer = nullptr;
    std::vector<zelio::CUserDocument> m_userDocuments;
    std::vector<Figure> m_figures;
    bool m_closing = false;
};

// Maps byte offsets of a UTF-8 text to positions in the QString made from it (UTF-16 units).
// Offsets inside a character map to its start; offsets past the end map to the length.
std::vector<int> Utf8ToUtf16Offsets(const std::string& utf8);
