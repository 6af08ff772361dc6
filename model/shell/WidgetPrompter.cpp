#include "WidgetPrompter.h"

#include "PagePainter.h"
#include "text/TextDecode.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QStringList>

namespace {

QString Decode(const std::string& text)
{
    return QString::fromStdString(platform::DecodeToUtf8(text));
}

} // namespace

namespace {

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

QWidget* WidgetPrompter::Owner(void* owner) const
{
    return owner ? static_cast<QWidget*>(owner) : m_mainWindow;
}

void WidgetPrompter::MessageBeep(platform::BeepType /*type*/)
{
    QApplication::beep();
}

platform::Answer WidgetPrompter::ShowMessage(int /*number*/, const std::string& text,
                                             platform::Icon icon, platform::Buttons buttons,
                                             const std::string& caption,
                                             std::optional<platform::Answer> defaultButton)
{
    QMessageBox box(m_mainWindow);
    box.setWindowTitle(caption.empty() ? QStringLiteral("Model") : Decode(caption));
    box.setText(Decode(text));
    switch (icon) {
    case platform::Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case platform::Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case platform::Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case platform::Icon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    case platform::Icon::None:
        break;
    }
    switch (buttons) {
    case platform::Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case platform::Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case platform::Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case platform::Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    if (defaultButton) {
        switch (*defaultButton) {
        case platform::Answer::Ok:
            box.setDefaultButton(QMessageBox::Ok);
            break;
        case platform::Answer::Cancel:
            box.setDefaultButton(QMessageBox::Cancel);
            break;
        case platform::Answer::Yes:
            box.setDefaultButton(QMessageBox::Yes);
            break;
        case platform::Answer::No:
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
        return platform::Answer::Yes;
    case QMessageBox::No:
        return platform::Answer::No;
    case QMessageBox::Cancel:
        return platform::Answer::Cancel;
    default:
        return buttons == platform::Buttons::YesNo ? platform::Answer::No : platform::Answer::Ok;
    }
}

std::optional<std::string> WidgetPrompter::ChooseFile(const platform::FileDialogSpec& spec)
{
    QFileDialog dialog(Owner(spec.owner), QString::fromStdString(spec.title));
    const QStringList filters = QtNameFilters(spec.filter).split(QStringLiteral(";;"));
    const QStringList suffixes = FilterSuffixes(spec.filter);
    dialog.setNameFilters(filters);
    const bool save = spec.mode == platform::FileDialogSpec::Mode::Save;
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

std::optional<platform::FontDialogSpec>
WidgetPrompter::ChooseFont(const platform::FontDialogSpec& initial)
{
    const CFontRecord record = RecordFromFontDialog(initial, CFontRecord());
    // The dialog opens on the face the text is drawn with; what it then shows is the
    // baseline: values the user left as shown keep the record's own numbers.
    QFontDialog dialog(DrawnFontOf(record), Owner(initial.owner));
    dialog.setWindowTitle(QStringLiteral("Font"));
    const QFont shown = dialog.currentFont();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    platform::FontDialogSpec result =
        FontDialogFromRecord(RecordFromFont(dialog.selectedFont(), record, shown));
    result.owner = initial.owner;
    return result;
}

void WidgetPrompter::SetWaitCursor(bool on)
{
    if (on) {
        ++m_waitDepth;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_waitDepth > 0) {
        --m_waitDepth;
        QApplication::restoreOverrideCursor();
    }
}
