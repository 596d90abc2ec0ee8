#include "SectionFixture.h"

#include "UIKit/UIImage.h"

namespace {

using Value = CFPropertyList;

TEST_F(SectionTest, CreationBuildsTheRowInItsOrderAndShowsNothingUntilTheFirstAppearance) {
    section = makeSection();
    const auto& subviews = section->backgroundView()->subviews();
    ASSERT_EQ(subviews.size(), 11u);
    for (std::size_t slot = 1; slot <= 6; ++slot) {
        EXPECT_EQ(subviews[2 * (slot - 1)], section->button(slot));
        if (slot < 6) {
            EXPECT_EQ(subviews[2 * slot - 1], section->separator(slot));
        }
        EXPECT_EQ(section->button(slot)->gestureRecognizers().front(), section->longPress(slot));
        EXPECT_EQ(section->button(slot)->currentImage(), nullptr);
    }
    EXPECT_EQ(section->view(), section->backgroundView());
    EXPECT_EQ(sectionState().currentSection.lock(), section);
    EXPECT_EQ(section->reloads, 0);

    const auto highlight = section->button(1)->backgroundImageForState(UIControlStateHighlighted);
    ASSERT_TRUE(highlight);
    EXPECT_EQ(highlight->size(), CGSizeMake(1, 1));
    const auto veil = highlight->CGImage()->pixelAt(0, 0);
    EXPECT_EQ(veil.alpha, 38) << "black at alpha 0.15";
    EXPECT_EQ(veil.red, 0);
}

TEST_F(SectionTest, EveryButtonAndRecognizerReachesItsOwnSlotMethod) {
    section = makeSection();
    for (std::size_t slot = 1; slot <= 6; ++slot) {
        section->button(slot)->sendActionsForControlEvents(UIControlEventTouchUpInside);
        section->longPress(slot)->setState(UIGestureRecognizerStateBegan);
    }
    EXPECT_EQ(section->calls,
              (std::vector<std::string>{"tap 1", "press 1", "tap 2", "press 2", "tap 3", "press 3", "tap 4",
                                        "press 4", "tap 5", "press 5", "tap 6", "press 6"}));
}

TEST_F(SectionTest, TheFirstAppearanceBuildsAndLaysOutAndAPlainOneDoesNeither) {
    section = makeSection();
    section->controlCenterWillAppear();
    EXPECT_EQ(section->reloads, 1);
    EXPECT_EQ(section->layouts, 1);
    EXPECT_NE(section->button(1)->currentImage(), nullptr);
    EXPECT_FALSE(section->backgroundView()->isHidden());

    section->controlCenterDidDisappear();
    section->controlCenterWillAppear();
    NSNotificationCenter::defaultCenter().postNotificationName(CaddexCCDidAppearNotification, nullptr);
    EXPECT_EQ(section->reloads, 1);
    EXPECT_EQ(section->layouts, 1);
}

TEST_F(SectionTest, ColoursAndAlphaShowAtTheNextAppearanceWithoutRebuildOrLayout) {
    section = makeSection();
    section->controlCenterWillAppear();
    write("BACKGROUND_RED", Value::real(0.5));
    write("BACKGROUND_ALPHA", Value::real(1));
    write("SEPARATOR_GREEN", Value::real(1));
    write("BUTTON_ALPHA", Value::real(0.25));
    EXPECT_EQ(section->backgroundView()->backgroundColor()->red(), 0.0)
        << "nothing changes before the appearance";

    section->controlCenterWillAppear();
    EXPECT_EQ(section->backgroundView()->backgroundColor()->red(), 0.5);
    EXPECT_EQ(section->backgroundView()->backgroundColor()->alpha(), 1.0);
    for (std::size_t index = 1; index <= 5; ++index)
        EXPECT_EQ(section->separator(index)->backgroundColor()->green(), 1.0);
    for (std::size_t slot = 1; slot <= 6; ++slot)
        EXPECT_EQ(section->button(slot)->alpha(), 0.25);
    EXPECT_EQ(section->reloads, 1);
    EXPECT_EQ(section->layouts, 1);
}

TEST_F(SectionTest, RelevantSettingsRebuildImagesOrLayoutOnlyAtTheNextAppearance) {
    section = makeSection();
    section->controlCenterWillAppear();
    write("ICON_STYLE", Value::integer(1));
    EXPECT_EQ(section->reloads, 1);
    section->controlCenterWillAppear();
    EXPECT_EQ(section->reloads, 2);
    EXPECT_EQ(section->layouts, 1) << "a style change needs no layout";
    write("VIEW_HEIGHT", Value::real(80));
    section->controlCenterWillAppear();
    EXPECT_EQ(section->reloads, 2);
    EXPECT_EQ(section->layouts, 2);
    EXPECT_EQ(section->backgroundView()->frame().size.height, 80.0);
}

TEST_F(SectionTest, AWidthChangeBeforeTheDidAppearNotificationIsLaidOutThen) {
    section = makeSection(320);
    section->controlCenterWillAppear();
    EXPECT_EQ(section->backgroundView()->frame().size.width, 320.0);
    container->setFrame(CGRectMake(0, 0, 480, 100));
    NSNotificationCenter::defaultCenter().postNotificationName(CaddexCCDidAppearNotification, nullptr);
    EXPECT_EQ(section->layouts, 2);
    EXPECT_EQ(section->backgroundView()->frame().size.width, 480.0);
    EXPECT_EQ(sectionState().lastSectionWidth, 480.0);
    NSNotificationCenter::defaultCenter().postNotificationName(CaddexCCDidAppearNotification, nullptr);
    EXPECT_EQ(section->layouts, 2) << "the same width lays out nothing";
}

TEST_F(SectionTest, NoEnabledSlotHidesTheSectionAtEveryAppearance) {
    for (const auto key : functionSlotKeys)
        write(key, Value::string("DISABLED"));
    section = makeSection();
    section->controlCenterWillAppear();
    EXPECT_TRUE(section->backgroundView()->isHidden());
    EXPECT_EQ(section->sectionHeight(), 0.0);
    section->controlCenterWillAppear();
    EXPECT_TRUE(section->backgroundView()->isHidden());
    write("FUNCTION_2", Value::string("APP-Notes"));
    section->controlCenterWillAppear();
    EXPECT_FALSE(section->backgroundView()->isHidden());
}

TEST_F(SectionTest, ADestroyedSectionHearsNothingMore) {
    section = makeSection();
    std::weak_ptr<OrvaneCCSection> gone = section;
    section.reset();
    EXPECT_TRUE(gone.expired());
    NSNotificationCenter::defaultCenter().postNotificationName(CaddexCCDidAppearNotification, nullptr);
    write("ICON_SIZE", Value::integer(30)); // the Darwin callback must not reach a dead section
    EXPECT_EQ(sectionSettingsState().settings.iconSize, 40) << "its settings callback was unregistered";
}

} // namespace
