#include "WidgetPrompter.h"

#include "PagePainter.h"

#include <QFontDialog>

WidgetPrompter::WidgetPrompter()
{
    SetDefaultCaption(QStringLiteral("Model"));
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
