#include "SectionFixture.h"

namespace {

using Value = CFPropertyList;

std::vector<double> buttonStarts(const OrvaneCCSection& section) {
    std::vector<double> starts;
    for (std::size_t slot = 1; slot <= 6; ++slot) {
        if (!section.button(slot)->isHidden())
            starts.push_back(section.button(slot)->frame().origin.x);
    }
    return starts;
}

std::vector<double> separatorStarts(const OrvaneCCSection& section) {
    std::vector<double> starts;
    for (std::size_t index = 1; index <= 5; ++index) {
        if (!section.separator(index)->isHidden())
            starts.push_back(section.separator(index)->frame().origin.x);
    }
    return starts;
}

TEST_F(SectionTest, SixButtonsShareTheWidthWithSeparatorsBetween) {
    section = makeSection(320);
    section->controlCenterWillAppear();
    EXPECT_EQ(buttonStarts(*section), (std::vector<double>{0, 53.5, 107, 160.5, 214, 267.5}));
    EXPECT_EQ(separatorStarts(*section), (std::vector<double>{52.5, 106, 159.5, 213, 266.5}));
    for (std::size_t slot = 1; slot <= 6; ++slot)
        EXPECT_EQ(section->button(slot)->frame().size, CGSizeMake(52.5, 46));
    EXPECT_EQ(section->separator(1)->frame(), CGRectMake(52.5, 3, 1, 40));
    EXPECT_EQ(section->backgroundView()->frame(), CGRectMake(0, 0, 320, 46));
}

TEST_F(SectionTest, WithoutSeparatorsTheButtonsTouchAndTheRowEndsShort) {
    write("SHOW_SEPARATORS", Value::boolean(false));
    section = makeSection(320);
    section->controlCenterWillAppear();
    EXPECT_EQ(buttonStarts(*section), (std::vector<double>{0, 52.5, 105, 157.5, 210, 262.5}));
    EXPECT_EQ(CGRectGetMaxX(section->button(6)->frame()), 315.0);
    EXPECT_TRUE(separatorStarts(*section).empty());
}

TEST_F(SectionTest, TheRowIsAsHighAsTheTallerOfHeightAndIconPlusSix) {
    write("ICON_SIZE", Value::integer(50));
    section = makeSection();
    EXPECT_EQ(section->sectionHeight(), 56.0);
    section->controlCenterWillAppear();
    EXPECT_EQ(section->separator(1)->frame(), CGRectMake(52.5, 3, 1, 50));

    write("ICON_SIZE", Value::integer(20));
    write("VIEW_HEIGHT", Value::real(60));
    EXPECT_EQ(section->sectionHeight(), 60.0);
    section->controlCenterWillAppear();
    EXPECT_EQ(section->button(3)->frame().size.height, 60.0);
    EXPECT_EQ(section->separator(2)->frame().size.height, 54.0);
}

TEST_F(SectionTest, DisabledSlotsAreLeftOutAndTheRestFillTheRowInOrder) {
    write("FUNCTION_2", Value::string("DISABLED"));
    write("FUNCTION_5", Value::string("DISABLED"));
    section = makeSection(320);
    section->controlCenterWillAppear();
    EXPECT_TRUE(section->button(2)->isHidden());
    EXPECT_TRUE(section->button(5)->isHidden());
    const double width = (320.0 - 3) / 4;
    EXPECT_EQ(section->button(1)->frame().origin.x, 0.0);
    EXPECT_EQ(section->button(3)->frame().origin.x, width + 1);
    EXPECT_EQ(section->button(4)->frame().origin.x, 2 * width + 2);
    EXPECT_EQ(section->button(6)->frame().origin.x, 3 * width + 3);
    EXPECT_EQ(separatorStarts(*section), (std::vector<double>{width, 1 + 2 * width, 2 + 3 * width}));
    EXPECT_TRUE(section->button(2)->currentImage() == nullptr) << "a disabled slot has no image";
}

TEST_F(SectionTest, OneButtonSpansTheRowAndNoneCollapsesIt) {
    for (const auto key : {"FUNCTION_1", "FUNCTION_2", "FUNCTION_4", "FUNCTION_5", "FUNCTION_6"})
        write(key, Value::string("DISABLED"));
    section = makeSection(320);
    section->controlCenterWillAppear();
    EXPECT_EQ(section->button(3)->frame(), CGRectMake(0, 0, 320, 46));
    EXPECT_TRUE(separatorStarts(*section).empty());

    const CGRect lastFrame = section->button(3)->frame();
    write("FUNCTION_3", Value::string("DISABLED"));
    section->controlCenterWillAppear();
    EXPECT_EQ(section->sectionHeight(), 0.0);
    EXPECT_TRUE(section->button(3)->isHidden());
    EXPECT_EQ(section->button(3)->frame(), lastFrame) << "hidden buttons keep their last frames";
    EXPECT_TRUE(separatorStarts(*section).empty());
}

TEST_F(SectionTest, WithoutSpringBoardTheSectionFallsBackQuietly) {
    // No SpringBoard class is registered here: not locked, width from the container or 0, no presenter.
    auto alone = RecordingSection::make();
    EXPECT_EQ(alone->sectionWidth(), 0.0);
    EXPECT_EQ(alone->sectionHeight(), 46.0);
    alone->controlCenterWillAppear();
    EXPECT_FALSE(alone->backgroundView()->isHidden());
    EXPECT_EQ(alone->backgroundView()->frame().size.width, 0.0);
    EXPECT_TRUE(sectionState().controlCenterViewController.expired());
}

} // namespace
