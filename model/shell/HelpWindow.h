#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;

// The program's own help window: the user manual's HTML pages, with their pictures and links,
// in a text browser with Back, Forward and Contents buttons. Used when the desktop cannot open
// the manual. Links that leave the manual go to the desktop.
class CHelpWindow : public QWidget
{
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    // Shows a page of the manual (a local HTML file, optionally with a #fragment) and brings
    // the window to the front. False when the file cannot be read: nothing is shown then.
    bool ShowPage(const QUrl& page);
    QTextBrowser* Browser() const { return m_browser; }
    // The page shown, or an empty URL.
    QUrl Source() const;

private:
    QTextBrowser* m_browser;
    QUrl m_home;
};
