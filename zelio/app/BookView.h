#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

class QLabel;
class QTextBrowser;
class QToolButton;

namespace zelio {
class COpenBook;
}

// A view of one book: every content file in order, each under a heading with its name, as
// plain text in a text browser. Marks the hits of a query (all highlighted, the current one
// in a stronger colour), scrolls the first hit into view and steps through them. The view's
// handle (its address) is what the browser calls pass as a view.
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
    void NextHit();
    void PreviousHit();

    QTextBrowser* Browser() const { return m_browser; }
    // The button whose menu carries the plug-ins' items for this view.
    QToolButton* ToolsButton() const { return m_tools; }

signals:
    // The first shown line and the number of lines in sight changed.
    void Scrolled(long firstLine, long lineCount);
    // The view is about to go away.
    void Closing(CBookView* view);
    void HitChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Hit
    {
        int begin = 0;
        int end = 0;
    };
    void ShowCurrent();
    void UpdateMarks();
    void ReportScroll();

    QString m_name;
    QString m_title;
    uintptr_t m_bookHandle = 0;
    std::string m_bookFolder;
    QString m_bookTitle;
    std::vector<int> m_fileStarts; // document position of each content file's text
    std::vector<Hit> m_hits;
    int m_current = -1;
    QTextBrowser* m_browser = nullptr;
    QLabel* m_hitLabel = nullptr;
    QToolButton* m_tools = nullptr;
    bool m_closing = false;
};

// Maps byte offsets of a UTF-8 text to positions in the QString made from it (UTF-16 units).
// Offsets inside a character map to its start; offsets past the end map to the length.
std::vector<int> Utf8ToUtf16Offsets(const std::string& utf8);
