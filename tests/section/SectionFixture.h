#pragma once

#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSRunLoop.h"
#include "common/SectionSettings.h"
#include "common/SettingsWriter.h"
#include "section/OrvaneCCSection.h"
#include "section/SectionState.h"
#include "support/TemporaryDevice.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

inline constexpr std::string_view sectionBundlePath = "/Library/Caddex/Bundles/OrvaneCC.bundle";

// A section that counts its rebuilds and layouts and records which slot method each tap or press reached;
// taps and presses then act as they would.
class RecordingSection : public OrvaneCCSection {
    OBJC_OBJECT(RecordingSection, OrvaneCCSection)
    int reloads = 0;
    int layouts = 0;
    std::vector<std::string> calls;

    void reloadIcons() override {
        ++reloads;
        OrvaneCCSection::reloadIcons();
    }
    void layoutSubviews() override {
        ++layouts;
        OrvaneCCSection::layoutSubviews();
    }
    void button1Pressed(UIControl& sender) override {
        calls.push_back("tap 1");
        OrvaneCCSection::button1Pressed(sender);
    }
    void button2Pressed(UIControl& sender) override {
        calls.push_back("tap 2");
        OrvaneCCSection::button2Pressed(sender);
    }
    void button3Pressed(UIControl& sender) override {
        calls.push_back("tap 3");
        OrvaneCCSection::button3Pressed(sender);
    }
    void button4Pressed(UIControl& sender) override {
        calls.push_back("tap 4");
        OrvaneCCSection::button4Pressed(sender);
    }
    void button5Pressed(UIControl& sender) override {
        calls.push_back("tap 5");
        OrvaneCCSection::button5Pressed(sender);
    }
    void button6Pressed(UIControl& sender) override {
        calls.push_back("tap 6");
        OrvaneCCSection::button6Pressed(sender);
    }
    void button1LonePressed(UIGestureRecognizer& recognizer) override {
        calls.push_back("press 1");
        OrvaneCCSection::button1LonePressed(recognizer);
    }
    void button2LonePressed(UIGestureRecognizer& recognizer) override {
        calls.push_back("press 2");
        OrvaneCCSection::button2LonePressed(recognizer);
    }
    void button3LonePressed(UIGestureRecognizer& recognizer) override {
        calls.push_back("press 3");
        OrvaneCCSection::button3LonePressed(recognizer);
    }
    void button4LonePressed(UIGestureRecognizer& recognizer) override {
        calls.push_back("press 4");
        OrvaneCCSection::button4LonePressed(recognizer);
    }
    void button5LonePressed(UIGestureRecognizer& recognizer) override {
        calls.push_back("press 5");
        OrvaneCCSection::button5LonePressed(recognizer);
    }
    void button6LonePressed(UIGestureRecognizer& recognizer) override {
        calls.push_back("press 6");
        OrvaneCCSection::button6LonePressed(recognizer);
    }
};

// A fresh device with the section's bundle installed and a fresh module state. The section sits in a
// container as the loader would put it, so its width is the container's.
class SectionTest : public ::testing::Test {
  protected:
    SectionTest() {
        std::filesystem::create_directories(device.hostPath(sectionBundlePath).parent_path());
        std::filesystem::copy(ORVANE_BUNDLES_DIR "/OrvaneCC.bundle", device.hostPath(sectionBundlePath),
                              std::filesystem::copy_options::recursive);
        resetSectionState();
        resetSectionSettingsState();
    }
    ~SectionTest() override {
        section.reset();
        resetSectionState();
        resetSectionSettingsState();
    }

    std::shared_ptr<RecordingSection> makeSection(double width = 320) {
        auto made = RecordingSection::make();
        made->setBundle(NSBundle::bundleWithPath(sectionBundlePath));
        container->setFrame(CGRectMake(0, 0, width, 100));
        container->addSubview(made->view());
        return made;
    }

    void write(std::string_view key, CFPropertyList value) {
        ASSERT_TRUE(writeSettingsValue(key, std::move(value)));
    }

    CGRect frameOf(const std::shared_ptr<UIView>& view) const { return view->frame(); }

    TemporaryDevice device;
    std::shared_ptr<UIView> container = UIView::make();
    std::shared_ptr<RecordingSection> section;
};
