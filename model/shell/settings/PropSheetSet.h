#pragma once

#include <QDialog>
#include <QList>

class QTabWidget;
class CPropSheetPage;
struct CShellContext;

// The modal settings sheet: a tab per page and OK / Cancel. Opened either full, titled
// "Settings", with every page, or with one page alone, titled "Properties".
class CPropSheetSet : public QDialog
{
    Q_OBJECT
public:
    // Page numbers: the order of the pages in the full sheet and the number that names a page
    // shown alone.
    enum PageNumber
    {
        PageGeneral = 0,
        PageModel = 1,
        PageInformation = 2,
        PageConnection = 3,
        PageDocumentation = 4,
        PageNumberCount = 5
    };

    // Builds the sheet. Full sheet (singlePage false): every page there is, opening on the
    // tab with number page (the last tab when there are fewer). Single page: the page with
    // number page alone; the sheet has no page when that page does not exist.
    CPropSheetSet(CShellContext& shell, int page, bool singlePage, QWidget* parent = nullptr);
    ~CPropSheetSet() override;

    // Makes the page of a number, owned by parent; nullptr for a number without a page.
    static CPropSheetPage* CreatePage(int number, CShellContext& shell, QWidget* parent);

    int PageCount() const;
    // The page on a tab, or nullptr for a tab out of range. Owned by the sheet.
    CPropSheetPage* PageAt(int tab) const;
    CPropSheetPage* CurrentPage() const;
    QTabWidget* Tabs() const { return m_tabs; }

    // Lets every page that was shown write its edits, then closes with OK.
    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void AddPage(CPropSheetPage* page);
    void ActivateCurrent();

    CShellContext& m_shell;
    QTabWidget* m_tabs;
    QList<CPropSheetPage*> m_pages;
};
