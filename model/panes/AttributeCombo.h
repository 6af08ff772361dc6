#pragma once

#include <QComboBox>

struct CShellContext;

// The attribute selector: a drop-down list with an entry per attribute of the current element
// ("Name of Element"). An empty selector shows "No Properties Loaded!" in grey.
class CAttributeCombo : public QComboBox
{
    Q_OBJECT
public:
    explicit CAttributeCombo(CShellContext& shell, QWidget* parent = nullptr);

    // Replaces the entries: one per attribute name, each read as "name of element" (the
    // element's name "<N/A>" when it is empty). Names are the model's bytes.
    void Fill(const std::vector<std::string>& names, const std::string& elementName);
    // The attribute name of an entry (bytes), empty out of range.
    const std::string& AttributeName(int index) const;
    // Removes every entry.
    void Empty();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CShellContext& m_shell;
    std::vector<std::string> m_names;
};
