// Every strings table of both bundles, in every language, held against what the code looks up: the section
// and the pane are walked through every text they can show, the keys the bundles were asked for are
// collected, and each table must hold exactly those keys, with the placeholders of each key in order, and the
// names of the language's glossary.

#include "AVFoundation/AVCaptureHost.h"
#include "ActionFixture.h"
#include "Foundation/FoundationHost.h"
#include "Foundation/NSLocale.h"
#include "Preferences/PSListController.h"
#include "SpringBoard/SpringBoard.h"
#include "UIKit/UINavigationController.h"
#include "common/FunctionCatalogue.h"
#include "prefs/ColorsListController.h"
#include "prefs/DefaultActionsListController.h"
#include "prefs/OrvanePrefsListController.h"
#include "prefs/PaneClasses.h"
#include "scanner/QRCodeReaderViewController.h"
#include "section/ActionMenu.h"
#include "section/Presentation.h"
#include "section/TapDispatch.h"
#include "support/StringsTableChecks.h"

#include <pango/pangocairo.h>

namespace {

using namespace strings_tables;

constexpr std::string_view paneBundlePath = "/Library/PreferenceBundles/OrvanePrefs.bundle";

TEST(StringsTableCheckTest, AMissingKeyAnUnusedKeyAndALostPlaceholderAreEachReported) {
    const Keys lookedUp = {"Cancel", "Open App Store to download \"%@\"?"};
    EXPECT_EQ(
        tableProblems(lookedUp, {{"Cancel", "取消"}, {"Open App Store to download \"%@\"?", "下载“%@”？"}}),
        std::vector<std::string>{});
    EXPECT_EQ(tableProblems(lookedUp, {{"Open App Store to download \"%@\"?", "下载“%@”？"}}),
              std::vector<std::string>{"lacks \"Cancel\""});
    EXPECT_EQ(
        tableProblems(lookedUp, {{"Cancel", "取消"}, {"Open App Store to download \"%@\"?", "下载？"}}),
        std::vector<std::string>{"changes the placeholders of \"Open App Store to download \"%@\"?\" to "
                                 "\"下载？\""});
    EXPECT_EQ(tableProblems({"Cancel"}, {{"Cancel", "取消"}, {"Old", "旧"}}),
              std::vector<std::string>{"holds \"Old\", which nothing looks up"});
    EXPECT_EQ(placeholdersOf("%1$@ and %2$@, 100%% %d"), (std::vector<std::string>{"%1$@", "%2$@", "%d"}));
    EXPECT_NE(placeholdersOf("%@ %d"), placeholdersOf("%d %@")) << "order counts";
}

TEST(StringsTableCheckTest, AGlossaryNameWrittenOtherwiseIsReported) {
    const std::vector<std::pair<std::string, std::string>> glossary = {{"WeChat", "微信"}, {"Mail", "邮件"}};
    EXPECT_EQ(
        glossaryProblems(glossary, {{"WeChat", "微信"}, {"Launch Mail", "打开邮件"}, {"Mailbox", "信箱"}}),
        std::vector<std::string>{})
        << "a name inside another word is no name";
    EXPECT_EQ(glossaryProblems(glossary, {{"WeChat", "WeChat"}, {"Launch Mail", "打开电邮"}}),
              (std::vector<std::string>{"writes Mail in \"Launch Mail\" as \"打开电邮\", not \"邮件\"",
                                        "writes WeChat in \"WeChat\" as \"WeChat\", not \"微信\""}));
}

// The section and the pane on one device, every text of theirs shown once.
class StringsTablesTest : public ActionTest {
  protected:
    StringsTablesTest() {
        std::filesystem::create_directories(device.hostPath(paneBundlePath).parent_path());
        std::filesystem::copy(ORVANE_BUNDLES_DIR "/OrvanePrefs.bundle", device.hostPath(paneBundlePath),
                              std::filesystem::copy_options::recursive);
        const auto pane = NSBundle::bundleWithPath(paneBundlePath);
        ObjCRuntime::setLoadingBundle(pane.get());
        registerPaneClasses();
        ObjCRuntime::setLoadingBundle(nullptr);
        AVCaptureHost::setCameras({AVCaptureDevicePositionBack});
    }
    ~StringsTablesTest() override { closePresentedController(); }

    void holdEveryFunction() {
        for (const auto& function : actionFunctions()) {
            write("FUNCTION_1", CFPropertyList::string(std::string(function.functionId)));
            const auto& press = section->longPress(1);
            press->setState(UIGestureRecognizerStateBegan);
            press->setState(UIGestureRecognizerStateEnded);
            closePresentedController();
        }
    }
    void installEveryApplication() {
        for (const auto& function : actionFunctions())
            for (const auto bundle : function.targetBundleIds)
                install(std::string(bundle));
    }
    void walkTheSection() {
        holdEveryFunction(); // the store applications are missing: each is offered in the App Store
        installEveryApplication();
        holdEveryFunction(); // every menu, with its App Store item
        freshSpringBoard(UIUserInterfaceIdiomPad);
        holdEveryFunction(); // the iPad's store names
        freshSpringBoard();
        SpringBoardHost::setFrontMostAppOrientation(*SpringBoard::sharedApplication(), 3);
        write("LANDSCAPE_ENABLED", CFPropertyList::boolean(false));
        presentLandscapeAlertIfNeeded();
        closePresentedController();
        SpringBoardHost::setFrontMostAppOrientation(*SpringBoard::sharedApplication(), 1);
        controlCenterOpen();
        tap("SYS-Photo", "Scan");
        const auto navigation =
            std::dynamic_pointer_cast<UINavigationController>(sectionState().presentedController);
        const auto reader =
            navigation
                ? std::dynamic_pointer_cast<QRCodeReaderViewController>(navigation->topViewController())
                : nullptr;
        ASSERT_TRUE(reader) << "the scanner";
        const auto output = reader->metadataOutput();
        reader->captureOutputDidOutputMetadataObjects(
            *output,
            {AVMetadataMachineReadableCodeObject::make(std::string(AVMetadataObjectTypeQRCode),
                                                       "https://example.org", std::vector<CGPoint>{})},
            output->connection());
        ASSERT_TRUE(std::dynamic_pointer_cast<UIAlertController>(sectionState().presentedController))
            << "the scan's result";
    }
    void walkThePane() {
        const auto root = OrvanePrefsListController::make();
        const auto navigation = PSRootController::make(root);
        for (const auto& page : std::vector<std::shared_ptr<PSListController>>{
                 root, DefaultActionsListController::make(), ColorsListController::make()}) {
            page->loadViewIfNeeded();
            page->viewWillAppear(false);
        }
    }

    // The keys each table of the bundle was asked for.
    static std::map<std::string, Keys, std::less<>> lookedUp(std::string_view bundle) {
        return FoundationHost::lookedUpKeys(*NSBundle::bundleWithPath(bundle));
    }
};

TEST_F(StringsTablesTest, EveryTableHoldsWhatTheCodeLooksUpAndNothingElseInEveryLanguage) {
    walkTheSection();
    walkThePane();
    const auto sectionKeys = lookedUp(sectionBundlePath);
    const auto paneKeys = lookedUp(paneBundlePath);
    ASSERT_EQ(sectionKeys.size(), 1u) << "the section's table";
    ASSERT_EQ(paneKeys.size(), 3u) << "the pane's three";
    EXPECT_TRUE(sectionKeys.at("Localizable").contains("Launch Sina Weibo"));
    EXPECT_TRUE(sectionKeys.at("Localizable").contains("Skype for iPad"));
    EXPECT_TRUE(sectionKeys.at("Localizable").contains("Donate"));
    EXPECT_TRUE(paneKeys.at("OrvanePrefs").contains(std::string(aboutNoticeKey)));

    const std::filesystem::path glossaries = std::filesystem::path(ORVANE_RESOURCES) / "glossary";
    for (const auto& [path, keys] : {std::pair{sectionBundlePath, sectionKeys}, {paneBundlePath, paneKeys}}) {
        EXPECT_EQ(NSBundle::bundleWithPath(path)->localizations(), shippedLanguages) << path;
        expectTablesHoldWhatIsLookedUp(device.hostPath(std::string(path)), keys, glossaries);
    }
}

// How many characters of the text the system font cannot draw (each would show as a missing-glyph box).
int undrawableCharacters(const std::string& text, const char* language) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cairo = cairo_create(surface);
    PangoLayout* layout = pango_cairo_create_layout(cairo);
    pango_context_set_language(pango_layout_get_context(layout), pango_language_from_string(language));
    PangoFontDescription* font = pango_font_description_from_string("Sans 17px");
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    const int unknown = pango_layout_get_unknown_glyphs_count(layout);
    pango_font_description_free(font);
    g_object_unref(layout);
    cairo_destroy(cairo);
    cairo_surface_destroy(surface);
    return unknown;
}

TEST_F(StringsTablesTest, TheSystemFontDrawsEveryTranslatedText) {
    ASSERT_GT(undrawableCharacters("\U0010FFFD", "en"), 0) << "what no font has is counted";
    for (const auto& [language, tag] :
         {std::pair<std::string, const char*>{"zh-Hans", "zh-cn"}, {"zh-Hant", "zh-tw"}, {"ja", "ja"}}) {
        for (const auto& folder : {device.hostPath(sectionBundlePath), device.hostPath(paneBundlePath)}) {
            for (const auto& file : std::filesystem::directory_iterator(folder / (language + ".lproj"))) {
                for (const auto& [key, value] : tableAt(file.path()))
                    EXPECT_EQ(undrawableCharacters(value, tag), 0) << file.path() << ": " << value;
            }
        }
    }
}

TEST_F(StringsTablesTest, TheEnglishTablesGiveEveryKeyItselfSoAMissingEntryReadsTheSame) {
    for (const auto& file : {device.hostPath(sectionBundlePath) / "en.lproj/Localizable.strings",
                             device.hostPath(paneBundlePath) / "en.lproj/OrvanePrefs.strings",
                             device.hostPath(paneBundlePath) / "en.lproj/DefaultActions.strings",
                             device.hostPath(paneBundlePath) / "en.lproj/Colors.strings"}) {
        for (const auto& [key, value] : tableAt(file))
            EXPECT_EQ(value, key) << file;
    }
}

} // namespace
