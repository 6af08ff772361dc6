#pragma once

#include <QWidget>

class QSplitter;
class CColListView;
class CInstanceView;
struct CShellContext;

// The "Items" tab: the instance pane above the property list, in a splitter whose row heights
// are kept in the placement record. With "ADJUST PROPERTY PANE" 1 the property list gets the
// height it wants after every fill and resize.
class CModelListView : public QWidget
{
    Q_OBJECT
public:
    explicit CModelListView(CShellContext& shell, QWidget* parent = nullptr);
    ~CModelListView() override;

    CInstanceView* InstanceView() const { return m_instances; }
    CColListView* PropertyList() const { return m_properties; }
    QSplitter* Splitter() const { return m_splitter; }

    // Moves the splitter so that the property list gets its wanted height (row 0 = client
    // height - wanted height - 7), when "ADJUST PROPERTY PANE" is 1.
    void AdjustPropertyPane();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CShellContext& m_shell;
    QSplitter* m_splitter;
    CInstanceView* m_instances;
    CColListView* m_properties;
};
