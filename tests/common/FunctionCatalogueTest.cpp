#include "common/FunctionCatalogue.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// The system's own applications, which the App Store does not offer.
constexpr std::string_view builtInApplications[] = {"SYS-Mail",     "SYS-Message", "SYS-Photo",
                                                    "APP-Calendar", "APP-FMF",     "APP-Notes"};

TEST(FunctionCatalogue, SlotIdsAndCatalogueRowsAreTheSameSet) {
    std::set<std::string_view> catalogued;
    for (const auto& info : functionCatalogue)
        catalogued.insert(info.functionId);
    const std::set<std::string_view> allowed(allowedFunctionIds.begin(), allowedFunctionIds.end());
    EXPECT_EQ(catalogued, allowed);
    EXPECT_EQ(allowed.size(), allowedFunctionIds.size()) << "an id is listed twice";
    EXPECT_EQ(allowedFunctionIds.front(), "DISABLED");
}

TEST(FunctionCatalogue, EveryRowIsConsistent) {
    for (const auto& info : actionFunctions()) {
        SCOPED_TRACE(std::string(info.functionId));
        EXPECT_TRUE(info.offersAction(info.defaultAction));
        const bool startsWithCamera = info.functionId == "APP-Facebook" || info.functionId == "APP-Instagram";
        EXPECT_EQ(info.actionSet().front() == info.defaultAction, !startsWithCamera);
        EXPECT_EQ(info.defaultActionKey, "DEFAULT_ACTION_" + std::string(info.functionId));
        EXPECT_EQ(info.appStoreName.has_value(), info.appStorePath.has_value());
        const bool builtIn = std::ranges::count(builtInApplications, info.functionId) != 0;
        EXPECT_EQ(info.appStoreName.has_value(), !builtIn);
        EXPECT_EQ(info.targetBundleIds.size(), 1u);
        // Exactly the applications with an App Store entry offer their page; the SYS- functions keep their
        // entry for a missing application, and built-in applications have none.
        EXPECT_EQ(info.offersAction(Action::AppStore),
                  info.functionId.starts_with("APP-") && info.appStorePath);
    }
    const auto* disabled = functionInfoForId("DISABLED", DeviceFamily::phone);
    ASSERT_NE(disabled, nullptr);
    EXPECT_TRUE(disabled->actions.empty() && disabled->targetBundleIds.empty() && !disabled->appStoreName);
}

TEST(FunctionCatalogue, LookupIsExactAndCaseSensitive) {
    EXPECT_EQ(functionInfoForId("SYS-Mail", DeviceFamily::phone)->targetBundleIds.front(),
              "com.apple.mobilemail");
    EXPECT_EQ(functionInfoForId("sys-mail", DeviceFamily::phone), nullptr);
    EXPECT_EQ(functionInfoForId("SYS-Mail ", DeviceFamily::phone), nullptr);
    EXPECT_EQ(functionInfoForId("", DeviceFamily::phone), nullptr);
    EXPECT_FALSE(isAllowedFunctionId("Sys-Mail"));
}

TEST(FunctionCatalogue, SkypeOnAPadLooksForTheIPadApplicationFirst) {
    const auto* phone = functionInfoForId("APP-Skype", DeviceFamily::phone);
    const auto* pad = functionInfoForId("APP-Skype", DeviceFamily::pad);
    ASSERT_TRUE(phone && pad);
    EXPECT_EQ(std::vector(phone->targetBundleIds.begin(), phone->targetBundleIds.end()),
              std::vector<std::string_view>{"com.skype.skype"});
    EXPECT_EQ(std::vector(pad->targetBundleIds.begin(), pad->targetBundleIds.end()),
              (std::vector<std::string_view>{"com.skype.SkypeForiPad", "com.skype.skype"}));
    EXPECT_EQ(phone->appStoreName, "Skype for iPhone");
    EXPECT_EQ(pad->appStoreName, "Skype for iPad");
    EXPECT_EQ(pad->appStorePath, "skype-for-ipad/id442012681");
    EXPECT_EQ(pad->defaultAction, phone->defaultAction);
    EXPECT_EQ(functionInfoForId("APP-LINE", DeviceFamily::pad),
              functionInfoForId("APP-LINE", DeviceFamily::phone));
}

TEST(ResolveDefaultAction, TakesOnlyActionsTheFunctionOffers) {
    const auto& photo = *functionInfoForId("SYS-Photo", DeviceFamily::phone);
    const auto& mail = *functionInfoForId("SYS-Mail", DeviceFamily::phone);
    const auto& calendar = *functionInfoForId("APP-Calendar", DeviceFamily::phone);
    const auto& line = *functionInfoForId("APP-LINE", DeviceFamily::phone);
    const auto& twitter = *functionInfoForId("SYS-Twitter", DeviceFamily::phone);

    EXPECT_EQ(resolveDefaultAction(photo, "Scan", Action::Camera), Action::Scan);
    EXPECT_EQ(resolveDefaultAction(mail, "Scan", Action::Mail), Action::Mail);
    EXPECT_EQ(resolveDefaultAction(calendar, "AppStore", Action::Event), Action::Event);
    EXPECT_EQ(resolveDefaultAction(line, "Sight", Action::Launch), Action::Launch)
        << "keeps the previous action, not the default";
    EXPECT_EQ(resolveDefaultAction(twitter, std::nullopt, Action::Camera), Action::Tweet)
        << "a removed key means the default";
    EXPECT_EQ(resolveDefaultAction(twitter, "camera", Action::Launch), Action::Launch);
}

TEST(ResolveDefaultAction, AnAcceptedActionOutlivesTheStoredString) {
    const auto& photo = *functionInfoForId("SYS-Photo", DeviceFamily::phone);
    std::string stored = "Library";
    const auto inForce = resolveDefaultAction(photo, stored, Action::Camera);
    stored.assign("XXXXXXX");
    EXPECT_EQ(inForce, Action::Library);
}

TEST(Action, EveryNameReadsBackAsItsActionAndNothingElseIsAnAction) {
    for (std::size_t index = 0; index < actionNames.size(); ++index) {
        const auto action = static_cast<Action>(index);
        EXPECT_EQ(actionNamed(actionName(action)), action) << actionName(action);
    }
    EXPECT_EQ(actionName(Action::AppStore), "AppStore");
    for (const auto* text : {"", "camera", "Camera ", "DISABLED", "App Store"})
        EXPECT_EQ(actionNamed(text), std::nullopt) << text;
}

TEST(InlineList, RefusesMoreItemsThanItHolds) {
    constexpr InlineList<int, 2> two = {4, 5};
    EXPECT_EQ(std::vector(two.begin(), two.end()), (std::vector{4, 5}));
    EXPECT_TRUE(two.contains(5) && !two.contains(6));
    EXPECT_THROW((InlineList<int, 2>{1, 2, 3}), std::length_error);
}

TEST(FunctionCatalogue, MenusFollowTheActionSetButFacebooksPutsItsPostFirst) {
    for (const auto& info : actionFunctions()) {
        const auto set = info.actionSet();
        const auto menu = info.menuActions();
        const bool same = std::equal(set.begin(), set.end(), menu.begin(), menu.end());
        EXPECT_EQ(same, info.functionId != "APP-Facebook") << info.functionId;
    }
    const auto facebook = functionInfoForId("APP-Facebook", DeviceFamily::phone)->menuActions();
    EXPECT_EQ(std::vector(facebook.begin(), facebook.end()),
              (std::vector{Action::Post, Action::Camera, Action::Library, Action::Launch, Action::AppStore}));
}

} // namespace
