#include "SpringBoard/SBIconModel.h"
#include "UIKit/UIButton.h"

#include <gtest/gtest.h>

namespace {

// A class whose init records what it could see, with an integer property and a re-registered "alpha".
class Gauge : public UIView {
    OBJC_OBJECT(Gauge, UIView)
    int inits = 0;
    bool ownedDuringInit = false;
    int level() const { return _level; }
    void setLevel(int level) { _level = level; }

  protected:
    Gauge() = default;
    void init() override {
        Super::init();
        ++inits;
        ownedDuringInit = !weak_from_this().expired();
    }
    static void registerProperties(NSPropertyTable<Gauge>& table) {
        table.add("level", &Gauge::level, &Gauge::setLevel);
        table.add("alpha", [](const Gauge&) { return 0.25; });
    }

  private:
    int _level = 0;
};

// Registers nothing of its own.
class PlainGauge : public Gauge {
    OBJC_OBJECT(PlainGauge, Gauge)
  protected:
    PlainGauge() = default;
};

TEST(NSObjectModel, ClassNamesAndKindsFollowTheChain) {
    const auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    const NSObject& object = *button;
    EXPECT_EQ(object.className(), "UIButton");
    EXPECT_EQ(UIButton::staticClassName(), "UIButton");
    for (const auto* kind : {"UIButton", "UIControl", "UIView", "NSObject"})
        EXPECT_TRUE(object.isKindOfClass(kind)) << kind;
    EXPECT_FALSE(object.isKindOfClass("UIViewController"));
    EXPECT_FALSE(UIView::make()->isKindOfClass<UIButton>());
    EXPECT_EQ(PlainGauge::make()->className(), "PlainGauge");
    EXPECT_TRUE(PlainGauge::make()->isKindOfClass<Gauge>());
    EXPECT_EQ(NSObject::make()->className(), "NSObject");
}

TEST(NSObjectModel, MakeRunsInitOnceOwnedBySharedPtr) {
    const auto gauge = PlainGauge::make();
    EXPECT_EQ(gauge->inits, 1);
    EXPECT_TRUE(gauge->ownedDuringInit);
}

TEST(NSObjectModel, PropertiesReadAndWriteThroughTheirSettersAndAreInherited) {
    const auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    EXPECT_TRUE(button->setValueForKey(NSNumber::numberWithDouble(0.5), "alpha"));
    EXPECT_EQ(button->alpha(), 0.5);
    EXPECT_TRUE(button->setValueForKey(NSNumber::numberWithBool(true), "hidden"));
    EXPECT_TRUE(button->isHidden());
    EXPECT_TRUE(button->setValueForKey(NSNumber::numberWithBool(false), "enabled"));
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(button->valueForKey("alpha")->description(), "0.5");
    EXPECT_EQ(button->valueForKey("enabled")->description(), "0");

    const auto blue = UIColor::colorWithRed(0, 0, 1, 1);
    EXPECT_TRUE(button->setValueForKey(blue, "backgroundColor"));
    EXPECT_EQ(button->valueForKey("backgroundColor"), blue);
    EXPECT_TRUE(button->setValueForKey(nullptr, "backgroundColor")) << "nil clears an object property";
    EXPECT_EQ(button->backgroundColor(), nullptr);

    EXPECT_EQ(
        UIButton::classInfo().propertyNames(),
        (std::vector<std::string_view>{"hidden", "alpha", "backgroundColor", "highlighted", "enabled"}));
    const auto gauge = PlainGauge::make();
    EXPECT_EQ(gauge->valueForKey("alpha")->description(), "0.25") << "a subclass's own property wins";
    EXPECT_EQ(PlainGauge::classInfo().propertyNames().size(), 4u);
}

TEST(NSObjectModel, RefusedValuesLeaveThePropertyAsItWas) {
    const auto gauge = Gauge::make();
    gauge->setLevel(3);
    EXPECT_FALSE(gauge->setValueForKey(NSNumber::numberWithDouble(1.5), "level"));
    EXPECT_FALSE(gauge->setValueForKey(NSNumber::numberWithLongLong(1LL << 40), "level"));
    EXPECT_FALSE(gauge->setValueForKey(NSString::stringWithString("4"), "level"));
    EXPECT_FALSE(gauge->setValueForKey(nullptr, "level"));
    EXPECT_FALSE(gauge->setValueForKey(NSNumber::numberWithDouble(std::nan("")), "hidden"));
    EXPECT_FALSE(gauge->setValueForKey(NSNumber::numberWithLongLong(2), "backgroundColor"));
    EXPECT_FALSE(gauge->setValueForKey(NSNumber::numberWithDouble(0.5), "alpha")) << "read-only";
    EXPECT_EQ(gauge->level(), 3);
    EXPECT_TRUE(gauge->setValueForKey(NSNumber::numberWithDouble(-7), "level"));
    EXPECT_EQ(gauge->level(), -7);

    EXPECT_EQ(gauge->valueForKey("levels"), nullptr);
    EXPECT_FALSE(gauge->setValueForKey(NSNumber::numberWithLongLong(1), "levels"));
    const auto map = SBIconViewMap::make();
    EXPECT_FALSE(map->setValueForKey(map->iconModel(), "iconModel")) << "read-only";
}

} // namespace
