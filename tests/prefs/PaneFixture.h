#pragma once

#include "Foundation/FoundationHost.h"
#include "Foundation/NSBundle.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIKitHost.h"
#include "UIKit/UINavigationController.h"
#include "common/SectionSettings.h"
#include "common/SettingsWriter.h"
#include "prefs/ColorsListController.h"
#include "prefs/DefaultActionsListController.h"
#include "prefs/IconListItemsController.h"
#include "prefs/OrvanePrefsListController.h"
#include "prefs/PaneClasses.h"
#include "support/TemporaryDevice.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

inline constexpr std::string_view paneBundlePath = "/Library/PreferenceBundles/OrvanePrefs.bundle";

// Records the URLs the pane asks to open.
class RecordingApplication : public UIApplication {
    OBJC_OBJECT(RecordingApplication, UIApplication)
    std::vector<std::string> opened;
    bool openURL(const NSURL& url) override {
        opened.push_back(url.absoluteString());
        return true;
    }
};

// A fresh device with the pane's bundle, the section's strings tables and the framework's icons installed;
// the pane's classes belong to the pane bundle, as when the Settings application loads it.
class PaneTest : public ::testing::Test {
  protected:
    PaneTest() {
        install("OrvanePrefs.bundle", paneBundlePath);
        for (const auto& folder :
             std::filesystem::directory_iterator(ORVANE_BUNDLES_DIR "/OrvaneCC.bundle")) {
            const std::string name = folder.path().filename().string();
            if (name.ends_with(".lproj"))
                install("OrvaneCC.bundle/" + name, "/Library/Caddex/Bundles/OrvaneCC.bundle/" + name);
        }
        install("System/Library/PrivateFrameworks/Preferences.framework",
                "/System/Library/PrivateFrameworks/Preferences.framework");
        const auto bundle = NSBundle::bundleWithPath(paneBundlePath);
        ObjCRuntime::setLoadingBundle(bundle.get());
        registerPaneClasses();
        ObjCRuntime::setLoadingBundle(nullptr);
        UIKitHost::setSharedApplication(application);
        resetFunctionRowIcons();
    }
    ~PaneTest() override {
        FoundationHost::setClock(std::nullopt);
        UIKitHost::setSharedApplication(nullptr);
        resetFunctionRowIcons();
    }

    void install(const std::string& staged, std::string_view devicePath) const {
        std::filesystem::create_directories(device.hostPath(devicePath).parent_path());
        std::filesystem::copy(std::string(ORVANE_BUNDLES_DIR) + "/" + staged, device.hostPath(devicePath),
                              std::filesystem::copy_options::recursive);
    }

    // The page, shown as the Settings application shows it: on a navigation stack, loaded and read.
    template <typename Page> std::shared_ptr<Page> show() {
        auto page = Page::make();
        navigation = PSRootController::make(page);
        return page;
    }

    static std::shared_ptr<PSTableCell> cell(PSListController& page, std::string_view label) {
        for (const auto& section : page.table()->sections()) {
            for (const auto& shown : section.cells) {
                if (shown->textLabel()->text() == label)
                    return std::dynamic_pointer_cast<PSTableCell>(shown);
            }
        }
        return nullptr;
    }
    static std::string shown(PSListController& page, std::string_view label) {
        const auto found = cell(page, label);
        return found ? found->detailTextLabel()->text() : "(no row " + std::string(label) + ")";
    }
    static std::vector<std::string> footers(PSListController& page) {
        std::vector<std::string> all;
        for (const auto& section : page.table()->sections())
            all.push_back(section.footer.value_or(""));
        return all;
    }
    static void tap(PSListController& page, std::string_view label) {
        for (const auto& specifier : page.specifiers()) {
            if (specifier->name() == label)
                return page.tableViewDidSelectRowAtIndexPath(*page.table(),
                                                             *page.indexPathForSpecifier(*specifier));
        }
        FAIL() << "no row " << label;
    }

    static std::optional<NSDictionary> file() {
        return NSDictionary::dictionaryWithContentsOfFile(settingsPath);
    }

    TemporaryDevice device;
    std::shared_ptr<RecordingApplication> application = RecordingApplication::make();
    std::shared_ptr<UINavigationController> navigation;
};

// 2001-01-01 plus the seconds of a day in mid-June of the year.
inline NSDate midJune(int year) {
    const double days = (year - 2001) * 365.2425 + 165;
    return {days * 86400};
}
