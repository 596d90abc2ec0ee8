#include "UIKit/UITableView.h"

UITableViewCell::UITableViewCell()
    : _textLabel(UILabel::make()), _detailTextLabel(UILabel::make()), _imageView(UIImageView::make()) {
    _detailTextLabel->setTextColor(UIColor::colorWithWhite(0.56, 1));
}

void UITableViewCell::registerProperties(NSPropertyTable<UITableViewCell>& table) {
    table.add("textLabel", &UITableViewCell::textLabel);
    table.add("detailTextLabel", &UITableViewCell::detailTextLabel);
    table.add("imageView", &UITableViewCell::imageView);
    table.add("accessoryType", &UITableViewCell::accessoryType, &UITableViewCell::setAccessoryType);
}

void UITableView::reloadData() {
    _sections.clear();
    if (!_dataSource)
        return;
    const std::size_t count = _dataSource->numberOfSectionsInTableView(*this);
    for (std::size_t section = 0; section < count; ++section) {
        Section shown{_dataSource->tableViewTitleForHeaderInSection(*this, section),
                      _dataSource->tableViewTitleForFooterInSection(*this, section),
                      {}};
        const std::size_t rows = _dataSource->tableViewNumberOfRowsInSection(*this, section);
        for (std::size_t row = 0; row < rows; ++row)
            shown.cells.push_back(_dataSource->tableViewCellForRowAtIndexPath(*this, {section, row}));
        _sections.push_back(std::move(shown));
    }
}

std::shared_ptr<UITableViewCell> UITableView::cellForRowAtIndexPath(NSIndexPath indexPath) const {
    if (indexPath.section >= _sections.size() || indexPath.row >= _sections[indexPath.section].cells.size())
        return nullptr;
    return _sections[indexPath.section].cells[indexPath.row];
}
