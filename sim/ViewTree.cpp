#include "ViewTree.h"

#include "UIKit/UIButton.h"

#include <nlohmann/json.hpp>
#include <string>

namespace {

Json buttonImage(const UIButton& button) {
    const auto image = button.currentImage();
    return image ? Json{{"width", image->size().width}, {"height", image->size().height}} : Json();
}

void printView(const Json& view, std::ostream& out, int depth) {
    const auto& frame = view["frame"];
    out << std::string(2 * depth, ' ') << view["class"].get<std::string>() << " frame "
        << frame["x"].get<double>() << " " << frame["y"].get<double>() << " " << frame["width"].get<double>()
        << " " << frame["height"].get<double>();
    if (view["hidden"].get<bool>())
        out << ", hidden";
    if (const double alpha = view["alpha"].get<double>(); alpha != 1)
        out << ", alpha " << alpha;
    if (const auto& colour = view["background"]; !colour.is_null())
        out << ", background " << colour["red"].get<double>() << " " << colour["green"].get<double>() << " "
            << colour["blue"].get<double>() << " alpha " << colour["alpha"].get<double>();
    if (const auto image = view.find("image"); image != view.end() && image->is_null())
        out << ", no image";
    else if (image != view.end())
        out << ", image " << (*image)["width"].get<double>() << " x " << (*image)["height"].get<double>();
    out << "\n";
    for (const auto& subview : view["subviews"])
        printView(subview, out, depth + 1);
}

} // namespace

Json viewTreeJson(const UIView& view) {
    const CGRect frame = view.frame();
    Json tree{{"class", view.className()},
              {"frame",
               {{"x", frame.origin.x},
                {"y", frame.origin.y},
                {"width", frame.size.width},
                {"height", frame.size.height}}},
              {"hidden", view.isHidden()},
              {"alpha", view.alpha()},
              {"background", nullptr}};
    if (const auto& colour = view.backgroundColor())
        tree["background"] = {{"red", colour->red()},
                              {"green", colour->green()},
                              {"blue", colour->blue()},
                              {"alpha", colour->alpha()}};
    if (view.isKindOfClass<UIButton>())
        tree["image"] = buttonImage(static_cast<const UIButton&>(view));
    auto subviews = Json::array();
    for (const auto& subview : view.subviews())
        subviews.push_back(viewTreeJson(*subview));
    tree["subviews"] = std::move(subviews);
    return tree;
}

void describeViewTree(const UIView& view, std::ostream& out) {
    printView(viewTreeJson(view), out, 0);
}

std::vector<std::shared_ptr<UIButton>> rowButtons(const UIView& row) {
    std::vector<std::shared_ptr<UIButton>> buttons;
    for (const auto& view : row.subviews()) {
        if (auto button = std::dynamic_pointer_cast<UIButton>(view))
            buttons.push_back(std::move(button));
    }
    return buttons;
}

CGPoint originIn(const UIView& view, const UIView& ancestor) {
    CGPoint origin = CGPointMake(0, 0);
    for (const UIView* step = &view; step && step != &ancestor; step = step->superview().get()) {
        origin.x += step->frame().origin.x;
        origin.y += step->frame().origin.y;
    }
    return origin;
}
