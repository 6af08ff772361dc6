#pragma once

#include "widgets/WidgetPrompter.h"

// The model browser's prompter: the shared Qt prompter, with "Model" as the caption of its
// message boxes, and the font dialog of the model pane's fonts.
class WidgetPrompter : public platform::CWidgetPrompter
{
public:
    WidgetPrompter();

    std::optional<platform::FontDialogSpec>
    ChooseFont(const platform::FontDialogSpec& initial) override;
};

using platform::FilterSuffixes;
using platform::QtNameFilters;
