#pragma once

#include "objc/objc-api.h"

#include "Preferences/PSSpecifier.h"
#include "UIKit/UITableView.h"

// How a row lays its title out: setAlignment(2) centres it, as settings panes do with their buttons.
enum PSTableCellAlignment {
    PSTableCellAlignmentNatural = 0,
    PSTableCellAlignmentLeft = 1,
    PSTableCellAlignmentCenter = 2,
    PSTableCellAlignmentRight = 3,
};

// The cell of one specifier: its title, and for a value control the value it shows (a switch's state, a
// slider's number, the title of a list's choice, a text).
class ORVANE_EXPORT PSTableCell : public UITableViewCell {
    OBJC_OBJECT(PSTableCell, UITableViewCell)
    const std::shared_ptr<PSSpecifier>& specifier() const { return _specifier; }
    const std::shared_ptr<NSObject>& value() const { return _value; }
    // Shows the value: the detail text is what a person reads for it.
    void setValue(std::shared_ptr<NSObject> value);
    int alignment() const { return _alignment; }
    void setAlignment(int alignment) { _alignment = alignment; }

  protected:
    explicit PSTableCell(std::shared_ptr<PSSpecifier> specifier);
    static void registerProperties(NSPropertyTable<PSTableCell>& table);

  private:
    std::shared_ptr<PSSpecifier> _specifier;
    std::shared_ptr<NSObject> _value;
    int _alignment = PSTableCellAlignmentNatural;
};
