#include "widgets/WidgetPrompter.h"

#include "text/TextDecode.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include <cstdio>

namespace platform {

namespace {

QString Decode(const std::string& text)
{
    return QString::fromStdString(DecodeToUtf8(text));
}

// The filter's pairs of "description|pattern", up to the closing "||", as (description,
// pattern).
QList<std::pair<QString, QString>> FilterPairs(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split('|');
    QList<std::pair<QString, QString>> pairs;
    for (int i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2)
        pairs.append({parts[i], parts[i + 1]});
    return pairs;
}

} // namespace

QString QtNameFilters(const std::string& filter)
{
    QStringList filters;
    for (const auto& [description, pattern] : FilterPairs(filter))
        filters << description;
    return filters.join(QStringLiteral(";;"));
}

QStringList FilterSuffixes(const std::string& filter)
{
    QStringList suffixes;
    for (const auto& [description, pattern] : FilterPairs(filter)) {
        // The first pattern of the pair: "*.png;*.PNG" gives "png", "*.*" and "*" give "".
        const QString first = pattern.section(';', 0, 0).trimmed();
        QString suffix;
        if (first.startsWith(QLatin1String("*.")))
            suffix = first.mid(2).toLower();
        if (suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?')))
            suffix.clear();
        suffixes << suffix;
    }
    return suffixes;
}

bool CWidgetPrompter::HasWidgets()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

QWidget* CWidgetPrompter::Owner(void* owner) const
{
    return owner ? static_cast<QWidget*>(owner) : m_mainWindow;
}

void CWidgetPrompter::MessageBeep(BeepType /*type*/)
{
    if (HasWidgets())
        QApplication::beep();
}

Answer CWidgetPrompter::ShowMessage(int /*number*/, const std::string& text, Icon icon,
                                    Buttons buttons, const std::string& caption,
                                    std::optional<Answer> defaultButton)
{
    const Answer fallback =
        buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::No;
    if (!HasWidgets()) {
        std::fprintf(stderr, "%s\n", text.c_str());
        return defaultButton.value_or(fallback);
    }
    QMessageBox box(m_mainWindow);
    QString title = Decode(caption);
    if (title.isEmpty())
        title =
            m_defaultCaption.isEmpty() ? QApplication::applicationDisplayName() : m_defaultCaption;
    box.setWindowTitle(title);
    box.setText(Decode(text));
    switch (icon) {
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::None:
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    if (defaultButton) {
        switch (*defaultButton) {
        case Answer::Ok:
            box.setDefaultButton(QMessageBox::Ok);
            break;
        case Answer::Cancel:
            box.setDefaultButton(QMessageBox::Cancel);
            break;
        case Answer::Yes:
            box.setDefaultButton(QMessageBox::Yes);
            break;
        case Answer::No:
            box.setDefaultButton(QMessageBox::No);
            break;
        }
    }
    // A wait cursor must not hide the pointer over a question.
    const bool waiting = m_waitDepth > 0;
    if (waiting)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int result = box.exec();
    if (waiting)
        QApplication::restoreOverrideCursor();
    switch (result) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
}

std::optional<std::string> CWidgetPrompter::ChooseFile(const FileDialogSpec& spec)
{
    if (!HasWidgets())
        return std::nullopt;
    QFileDialog dialog(Owner(spec.owner), QString::fromStdString(spec.title));
    const QStringList filters = QtNameFilters(spec.filter).split(QStringLiteral(";;"));
    const QStringList suffixes = FilterSuffixes(spec.filter);
    dialog.setNameFilters(filters);
    const bool save = spec.mode == FileDialogSpec::Mode::Save;
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!spec.overwritePrompt)
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(spec.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    QString defaultSuffix = QString::fromStdString(spec.defaultExt).toLower();
    if (spec.filterIndex > 0 && spec.filterIndex < filters.size()) {
        dialog.selectNameFilter(filters[spec.filterIndex]);
        if (!suffixes.value(spec.filterIndex).isEmpty())
            defaultSuffix = suffixes.value(spec.filterIndex);
    }
    if (!defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(defaultSuffix);
    if (!spec.defaultName.empty())
        dialog.selectFile(QString::fromStdString(spec.defaultName));
    if (save) {
        // A name ending in another filter's suffix follows the file type the user picks, and
        // a name without a suffix gets the picked type's.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, filters, suffixes](const QString& chosen) {
                             const QString suffix = suffixes.value(filters.indexOf(chosen));
                             if (suffix.isEmpty())
                                 return;
                             dialog.setDefaultSuffix(suffix);
                             const QStringList typed = dialog.selectedFiles();
                             if (typed.size() != 1)
                                 return;
                             const QFileInfo file(typed.first());
                             const QString old = file.suffix().toLower();
                             if (old != suffix && suffixes.contains(old))
                                 dialog.selectFile(file.completeBaseName() + QLatin1Char('.') +
                                                   suffix);
                         });
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    if (spec.selectedFilter)
        *spec.selectedFilter = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
    return QFileInfo(dialog.selectedFiles().first()).absoluteFilePath().toStdString();
}

void CWidgetPrompter::SetWaitCursor(bool on)
{
    if (!HasWidgets())
        return;
    if (on) {
        ++m_waitDepth;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_waitDepth > 0) {
        --m_waitDepth;
        QApplication::restoreOverrideCursor();
    }
}

} // namespace platform
