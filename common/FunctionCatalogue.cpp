#include "FunctionCatalogue.h"

#include <algorithm>

namespace {

constexpr FunctionInfo onAPad(FunctionInfo row) {
    row.targetBundleIds = {row.pad->bundleIdentifier, row.targetBundleIds.front()};
    row.appStoreName = row.pad->appStoreName;
    row.appStorePath = row.pad->appStorePath;
    return row;
}

constexpr auto padCatalogue = [] {
    constexpr auto count =
        std::ranges::count_if(functionCatalogue, [](const FunctionInfo& row) { return row.pad.has_value(); });
    std::array<FunctionInfo, count> rows{};
    auto next = rows.begin();
    for (const auto& row : functionCatalogue)
        if (row.pad)
            *next++ = onAPad(row);
    return rows;
}();

const FunctionInfo* rowIn(std::span<const FunctionInfo> rows, std::string_view functionId) {
    const auto found = std::ranges::find(rows, functionId, &FunctionInfo::functionId);
    return found == rows.end() ? nullptr : &*found;
}

} // namespace

bool isAllowedFunctionId(std::string_view functionId) {
    return std::ranges::find(allowedFunctionIds, functionId) != allowedFunctionIds.end();
}

const FunctionInfo* functionInfoForId(std::string_view functionId, DeviceFamily family) {
    if (family == DeviceFamily::pad)
        if (const auto* row = rowIn(padCatalogue, functionId))
            return row;
    return rowIn(functionCatalogue, functionId);
}

Action resolveDefaultAction(const FunctionInfo& function, std::optional<std::string_view> stored,
                            Action inForce) {
    const std::optional<Action> candidate = stored ? actionNamed(*stored) : function.defaultAction;
    return candidate && function.offersAction(*candidate) ? *candidate : inForce;
}
