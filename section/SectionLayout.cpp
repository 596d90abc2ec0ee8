#include "OrvaneCCSection.h"

#include "SectionState.h"
#include "common/SectionSettings.h"

#include <algorithm>
#include <vector>

namespace {

// The row grows with the icons: never lower than the icon plus 3 points above and below. The sum is formed in
// single precision, as the icon size is stored.
double rowHeight(const SectionSettings& settings) {
    const float iconRow = static_cast<float>(settings.iconSize) + 6.0f;
    return std::max(settings.viewHeight, static_cast<double>(iconRow));
}

} // namespace

double OrvaneCCSection::sectionHeight() const {
    if (deviceLocked() || sectionSettingsState().enabledCount == 0)
        return 0;
    return rowHeight(sectionSettingsState().settings);
}

// The enabled buttons share the width equally in slot order. The n - 1 points of separator room are taken
// off whether separators show or not, so a button's width never depends on them.
void OrvaneCCSection::layoutSubviews() {
    const auto& settingsState = sectionSettingsState();
    const auto& settings = settingsState.settings;
    const double width = sectionState().lastSectionWidth;
    const double height = rowHeight(settings);
    _backgroundView->setFrame(CGRectMake(0, 0, width, height));

    std::vector<UIButton*> visible;
    for (std::size_t index = 0; index < slotCount; ++index) {
        const bool disabled = settings.functions[index] == disabledFunctionId;
        _buttons[index]->setHidden(disabled);
        if (!disabled)
            visible.push_back(_buttons[index].get());
    }

    const double count = settingsState.enabledCount;
    const double buttonWidth = (width - (count - 1)) / count;
    const double gap = settings.showSeparators ? 1.0 : 0.0;
    for (std::size_t i = 0; i < visible.size(); ++i)
        visible[i]->setFrame(CGRectMake(i * buttonWidth + i * gap, 0, buttonWidth, height));

    for (std::size_t i = 0; i < separatorCount; ++i) {
        const bool shown = settings.showSeparators && i + 1 < visible.size();
        _separators[i]->setHidden(!shown);
        if (shown)
            _separators[i]->setFrame(
                CGRectMake(i + buttonWidth * (i + 1), 3.0, 1.0, height > 0 ? height - 6.0 : 0.0));
    }
}
