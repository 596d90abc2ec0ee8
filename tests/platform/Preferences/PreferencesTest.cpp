#include "Foundation/FoundationHost.h"
#include "Foundation/NSDateFormatter.h"
#include "Foundation/NSPropertyListSerialization.h"
#include "Preferences/PSListController.h"
#include "UIKit/UINavigationController.h"
#include "support/TemporaryDevice.h"

#include <gtest/gtest.h>

namespace {

NSDictionary plist(std::string_view body) {
    const std::string text =
        xmlPlist("<dict><key>items</key><array>" + std::string(body) + "</array></dict>");
    return *NSDictionary::dictionaryWithPropertyListData(
        std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string item(std::string_view cell, std::string_view label, std::string_view more = "") {
    return "<dict><key>cell</key><string>" + std::string(cell) + "</string><key>label</key><string>" +
           std::string(label) + "</string>" + std::string(more) + "</dict>";
}

// A page whose specifiers a test hands it.
class TestPage : public PSListController {
    OBJC_OBJECT(TestPage, PSListController)
    void use(PSSpecifiers specifiers) { _specifiers = std::move(specifiers); }
    std::vector<std::string> actions;
    bool performAction(std::string_view selector) override {
        actions.emplace_back(selector);
        return true;
    }
};

TEST(PSSpecifier, PropertiesGoThroughTheObjectModelsTable) {
    auto specifier = PSSpecifier::make("Height", PSSliderCell);
    EXPECT_TRUE(specifier->setPropertyForKey(NSString::stringWithString("VIEW_HEIGHT"), "key"));
    EXPECT_EQ(specifier->stringPropertyForKey("key"), "VIEW_HEIGHT");
    EXPECT_EQ(specifier->valueForKey("key"), specifier->propertyForKey("key"));
    EXPECT_TRUE(specifier->setValueForKey(NSString::stringWithString("Tall"), "footerText"));
    EXPECT_EQ(specifier->stringPropertyForKey("footerText"), "Tall");
    EXPECT_EQ(specifier->stringPropertyForKey("cell"), "PSSliderCell");
    EXPECT_FALSE(specifier->setPropertyForKey(NSString::stringWithString("x"), "cell")) << "read-only";
    EXPECT_FALSE(specifier->setPropertyForKey(NSString::stringWithString("x"), "noSuchKey"));
    EXPECT_EQ(specifier->identifier(), "Height") << "the name stands in for a missing id";
}

TEST(PSSpecifier, AMalformedPlistLoadsWhatItCanAndSaysWhatItSkipped) {
    const auto loaded = PSSpecifiersFromPlist(
        plist("<string>not an item</string>" + item("PSNoSuchCell", "Odd") +
              item("PSLinkListCell", "Size",
                   "<key>validValues</key><array><integer>20</integer><date>2015-01-01T00:00:00Z</date>"
                   "<integer>30</integer></array><key>validTitles</key><array><string>Small</string></array>"
                   "<key>default</key><array/>") +
              item("PSLinkListCell", "Empty") + item("PSSwitchCell", "Kept", "<key>default</key><true/>")),
        nullptr);
    ASSERT_EQ(loaded.specifiers.size(), 3u);
    const auto& size = *loaded.specifiers[0];
    EXPECT_EQ(size.titles(), (std::vector<std::string>{"20", "30"}))
        << "unpaired titles give way to the values";
    EXPECT_FALSE(size.propertyForKey("default"));
    EXPECT_EQ(loaded.specifiers[2]->name(), "Kept");
    EXPECT_TRUE(
        std::dynamic_pointer_cast<NSNumber>(loaded.specifiers[2]->propertyForKey("default"))->boolValue());
    EXPECT_EQ(loaded.skipped.size(), 6u);
    for (const auto* note :
         {"item 1: not a dictionary", "item 2: no known \"cell\"", "item 3: \"default\" is not a value",
          "item 3: value 2 is not a value", "item 4: a list without \"validValues\""})
        EXPECT_NE(std::ranges::find(loaded.skipped, note), loaded.skipped.end()) << note;
    EXPECT_EQ(PSSpecifiersFromPlist(NSDictionary(), nullptr).skipped,
              std::vector<std::string>{"no \"items\" array"});
}

TEST(PSListController, GroupsRowsFootersAndTheDomainsValues) {
    TemporaryDevice device;
    auto page = TestPage::make();
    const char* domain = "<key>defaults</key><string>com.example.test</string><key>PostNotification</key>"
                         "<string>com.example.test.changed</string>";
    page->use(PSSpecifiersFromPlist(
                  plist(item("PSSwitchCell", "Loose",
                             std::string("<key>key</key><string>A</string>") + domain +
                                 "<key>default</key><false/>") +
                        item("PSGroupCell", "Look", "<key>footerText</key><string>Below</string>") +
                        item("PSSliderCell", "Level",
                             std::string("<key>key</key><string>B</string>") + domain +
                                 "<key>default</key><real>0.25</real>") +
                        item("PSButtonCell", "Go", "<key>action</key><string>go</string>")),
                  page)
                  .specifiers);
    auto navigation = PSRootController::make(page);
    const auto& sections = page->table()->sections();
    ASSERT_EQ(sections.size(), 2u) << "rows before the first group share a section";
    EXPECT_FALSE(sections[0].header);
    EXPECT_EQ(sections[1].header, "Look");
    EXPECT_EQ(sections[1].footer, "Below");
    EXPECT_EQ(page->specifierAtIndexPath({1, 1})->name(), "Go");
    EXPECT_FALSE(page->specifierAtIndexPath({1, 2}));
    EXPECT_EQ(sections[1].cells[0]->detailTextLabel()->text(), "0.25");

    NotificationCounter posts("com.example.test.changed");
    page->setPreferenceValue(NSNumber::numberWithBool(true), *page->specifierAtIndexPath({0, 0}));
    EXPECT_EQ(posts.received, 1);
    const auto stored =
        NSDictionary::dictionaryWithContentsOfFile("/var/mobile/Library/Preferences/com.example.test.plist");
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored->objectForKey("A"), CFPropertyList::boolean(true));
    page->reload();
    EXPECT_EQ(page->table()->sections()[0].cells[0]->detailTextLabel()->text(), "ON");

    page->tableViewDidSelectRowAtIndexPath(*page->table(), {1, 1});
    EXPECT_EQ(page->actions, std::vector<std::string>{"go"});
}

TEST(PSListItemsController, TicksTheCurrentValueAndStoresTheChoiceThroughTheListsTarget) {
    TemporaryDevice device;
    auto page = TestPage::make();
    page->use(
        PSSpecifiersFromPlist(
            plist(item("PSLinkListCell", "Size",
                       "<key>key</key><string>S</string><key>defaults</key><string>com.example.list</string>"
                       "<key>default</key><integer>30</integer><key>validValues</key><array><integer>20"
                       "</integer><integer>30</integer></array><key>validTitles</key><array><string>Small"
                       "</string><string>Large</string></array>")),
            page)
            .specifiers);
    auto navigation = PSRootController::make(page);
    EXPECT_EQ(page->table()->sections()[0].cells[0]->detailTextLabel()->text(), "Large");
    page->tableViewDidSelectRowAtIndexPath(*page->table(), {0, 0});
    const auto list = std::dynamic_pointer_cast<PSListItemsController>(navigation->topViewController());
    ASSERT_TRUE(list);
    EXPECT_EQ(list->navigationItem()->title(), "Size");
    const auto& rows = list->table()->sections().at(0).cells;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]->accessoryType(), UITableViewCellAccessoryNone);
    EXPECT_EQ(rows[1]->accessoryType(), UITableViewCellAccessoryCheckmark);
    list->tableViewDidSelectRowAtIndexPath(*list->table(), {0, 0});
    EXPECT_EQ(list->table()->sections()[0].cells[0]->accessoryType(), UITableViewCellAccessoryCheckmark);
    navigation->popViewControllerAnimated(true);
    EXPECT_EQ(page->table()->sections()[0].cells[0]->detailTextLabel()->text(), "Small");
}

TEST(NSDateFormatter, FormatsTheDeviceClock) {
    FoundationHost::setClock(NSDate{0});
    const auto formatter = NSDateFormatter::make();
    formatter->setDateFormat("yyyy");
    const std::string year = formatter->stringFromDate(NSDateNow());
    EXPECT_TRUE(year == "2001" || year == "2000") << year << ": the reference date in the device's zone";
    FoundationHost::setClock(NSDate{86400.0 * 365 * 14 + 86400 * 200});
    EXPECT_EQ(formatter->stringFromDate(NSDateNow()), "2015");
    formatter->setDateFormat("'year' yy, M/dd");
    EXPECT_EQ(formatter->stringFromDate(NSDateNow()).substr(0, 8), "year 15,");
    EXPECT_EQ(formatter->stringFromDate(NSDate{1e300}), "") << "no calendar reaches it";
    FoundationHost::setClock(std::nullopt);
    formatter->setDateFormat("yyyy");
    EXPECT_GE(formatter->stringFromDate(NSDateNow()), "2026");
}

TEST(NSPropertyListSerialization, KeepsTheKindOfEachValue) {
    for (const auto& value : {CFPropertyList::boolean(true), CFPropertyList::integer(40),
                              CFPropertyList::real(0.7), CFPropertyList::string("SYS-Mail")})
        EXPECT_EQ(NSPropertyListFromObject(NSObjectFromPropertyList(value)), value);
    EXPECT_FALSE(NSObjectFromPropertyList(CFPropertyList::array({})));
    EXPECT_FALSE(NSPropertyListFromObject(nullptr));
    EXPECT_TRUE(NSObjectsEqualAsValues(NSNumber::numberWithLongLong(30), NSNumber::numberWithDouble(30)));
    EXPECT_FALSE(NSObjectsEqualAsValues(NSString::stringWithString("30"), NSNumber::numberWithDouble(30)));
}

} // namespace
