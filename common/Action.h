#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// Every action a function may offer, named as the settings file, the specifiers and the command line spell
// it. The list is written once: the enum and its names both come from it.
// clang-format off
#define ORVANE_ACTIONS(X) \
    X(Post) X(Camera) X(Library) X(Launch) X(Mail) X(Message) X(Scan) X(Tweet) X(Event) X(Note) X(Reminder) \
    X(Photo) X(AppStore) X(Location) X(Chat) X(Sketch) X(Call) X(Sight)
// clang-format on

enum class Action : std::uint8_t {
#define ORVANE_ACTION_ENUMERATOR(name) name,
    ORVANE_ACTIONS(ORVANE_ACTION_ENUMERATOR)
#undef ORVANE_ACTION_ENUMERATOR
};

inline constexpr std::array actionNames = {
#define ORVANE_ACTION_NAME(name) std::string_view(#name),
    ORVANE_ACTIONS(ORVANE_ACTION_NAME)
#undef ORVANE_ACTION_NAME
};

constexpr std::string_view actionName(Action action) {
    return actionNames[static_cast<std::size_t>(action)];
}

// The action a text names, spelt exactly; nothing for any other text.
constexpr std::optional<Action> actionNamed(std::string_view name) {
    const auto found = std::ranges::find(actionNames, name);
    if (found == actionNames.end())
        return std::nullopt;
    return static_cast<Action>(found - actionNames.begin());
}
