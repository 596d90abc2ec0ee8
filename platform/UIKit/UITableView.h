#pragma once

#include "objc/objc-api.h"

#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIView.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A row of a table: its section and its row within it.
struct ORVANE_EXPORT NSIndexPath {
    std::size_t section = 0;
    std::size_t row = 0;
    static NSIndexPath indexPathForRow(std::size_t row, std::size_t section) { return {section, row}; }
    bool operator==(const NSIndexPath&) const = default;
};

enum UITableViewCellAccessoryType {
    UITableViewCellAccessoryNone = 0,
    UITableViewCellAccessoryDisclosureIndicator = 1,
    UITableViewCellAccessoryCheckmark = 3,
};

// One row: a title, a detail text on the right, an image on the left, and an accessory.
class ORVANE_EXPORT UITableViewCell : public UIView {
    OBJC_OBJECT(UITableViewCell, UIView)
    const std::shared_ptr<UILabel>& textLabel() const { return _textLabel; }
    const std::shared_ptr<UILabel>& detailTextLabel() const { return _detailTextLabel; }
    const std::shared_ptr<UIImageView>& imageView() const { return _imageView; }
    UITableViewCellAccessoryType accessoryType() const { return _accessory; }
    void setAccessoryType(UITableViewCellAccessoryType type) { _accessory = type; }

  protected:
    UITableViewCell();
    static void registerProperties(NSPropertyTable<UITableViewCell>& table);

  private:
    std::shared_ptr<UILabel> _textLabel;
    std::shared_ptr<UILabel> _detailTextLabel;
    std::shared_ptr<UIImageView> _imageView;
    UITableViewCellAccessoryType _accessory = UITableViewCellAccessoryNone;
};

class UITableView;

// What a table asks of whoever fills it.
class ORVANE_EXPORT UITableViewDataSource {
  public:
    virtual ~UITableViewDataSource() = default;
    virtual std::size_t numberOfSectionsInTableView(const UITableView& table) = 0;
    virtual std::size_t tableViewNumberOfRowsInSection(const UITableView& table, std::size_t section) = 0;
    virtual std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(UITableView& table,
                                                                            NSIndexPath indexPath) = 0;
    virtual std::optional<std::string> tableViewTitleForHeaderInSection(const UITableView&, std::size_t) {
        return std::nullopt;
    }
    virtual std::optional<std::string> tableViewTitleForFooterInSection(const UITableView&, std::size_t) {
        return std::nullopt;
    }
};

enum UITableViewStyle { UITableViewStylePlain = 0, UITableViewStyleGrouped = 1 };

// A table whose rows all show at once: reloadData asks the data source for every section, header, footer
// and cell, and keeps them until the next reload.
class ORVANE_EXPORT UITableView : public UIView {
    OBJC_OBJECT(UITableView, UIView)
    struct Section {
        std::optional<std::string> header;
        std::optional<std::string> footer;
        std::vector<std::shared_ptr<UITableViewCell>> cells;
    };

    UITableViewStyle style() const { return _style; }
    // The data source is not owned: it owns the table.
    void setDataSource(UITableViewDataSource* dataSource) { _dataSource = dataSource; }
    void reloadData();
    const std::vector<Section>& sections() const { return _sections; }
    // The shown cell of that row; nothing for a row the table does not show.
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(NSIndexPath indexPath) const;

  protected:
    explicit UITableView(UITableViewStyle style) : _style(style) {}

  private:
    UITableViewStyle _style;
    UITableViewDataSource* _dataSource = nullptr;
    std::vector<Section> _sections;
};
