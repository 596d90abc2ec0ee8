#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

// What one button can be bound to: the actions a tap may run, the one a fresh installation runs, the
// application the function opens or checks for, and where the App Store offers that application.
struct FunctionInfo {
    std::string_view functionId;
    std::span<const std::string_view> actionSet;
    std::string_view defaultAction;
    std::span<const std::string_view> targetBundleIds;
    std::optional<std::string_view> appStoreName;
    std::optional<std::string_view> appStorePath;
    // The settings key that stores the action a tap runs ("DEFAULT_ACTION_" + id); empty for "DISABLED".
    std::string_view defaultActionKey;

    bool offersAction(std::string_view action) const;
};

inline constexpr std::string_view disabledFunctionId = "DISABLED";

// Every function in the order in which their default actions are read, then "DISABLED".
extern const std::array<FunctionInfo, 24> functionCatalogue;
// The functions that have a default action: the catalogue without "DISABLED".
std::span<const FunctionInfo, 23> actionFunctions();

// The ids a slot accepts, in the order the settings pane lists them.
extern const std::array<std::string_view, 24> allowedFunctionIds;
bool isAllowedFunctionId(std::string_view functionId);

enum class DeviceFamily { phone, pad };

// The record of an id; nothing for an id outside the catalogue. On a pad APP-Skype looks for the iPad
// application first and is offered in the App Store as such, so every caller names the device's family.
const FunctionInfo* functionInfoForId(std::string_view functionId, DeviceFamily family);

// The action in force after a settings read: the stored action (or the function's default when nothing is
// stored) when the function offers it, otherwise the action already in force. The answer is either an entry
// of the catalogue or `inForce` itself.
std::string_view resolveDefaultAction(const FunctionInfo& function, std::optional<std::string_view> stored,
                                      std::string_view inForce);
