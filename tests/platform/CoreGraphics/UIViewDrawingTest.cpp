#include "GraphicsTestSupport.h"
#include "UIKit/UIButton.h"

namespace {

std::shared_ptr<UIView> viewWith(CGRect frame, RGBA colour, CGFloat alpha = 1) {
    auto view = UIView::make(frame);
    view->setBackgroundColor(UIColor::colorWithRed(colour.red / 255.0, colour.green / 255.0,
                                                   colour.blue / 255.0, colour.alpha / 255.0));
    view->setAlpha(alpha);
    return view;
}

std::shared_ptr<UIImage> solid(std::size_t width, std::size_t height, RGBA colour) {
    return UIImage::imageWithCGImage(solidImage(width, height, colour), 1, UIImageOrientationUp);
}

CGImageRef render(const UIView& view, CGSize size, CGRect rect) {
    const ImageContext open(size);
    view.drawViewHierarchyInRect(rect);
    return CGBitmapContextCreateImage(open.context());
}

TEST(UIViewDrawing, BackgroundsThenVisibleSubviewsPlacedAndScaledByTheRect) {
    const auto root = viewWith(CGRectMake(50, 50, 4, 4), red);
    const auto right = viewWith(CGRectMake(2, 0, 2, 2), blue);
    right->addSubview(viewWith(CGRectMake(1, 1, 1, 1), white));
    const auto hidden = viewWith(CGRectMake(0, 2, 2, 2), green);
    hidden->addSubview(viewWith(CGRectMake(0, 0, 1, 1), white));
    hidden->setHidden(true);
    root->addSubview(right);
    root->addSubview(hidden);

    const auto image = render(*root, {10, 10}, CGRectMake(2, 2, 8, 8));
    EXPECT_EQ(image->pixelAt(1, 1), clear);
    EXPECT_EQ(image->pixelAt(2, 2), red);
    EXPECT_EQ(image->pixelAt(6, 2), blue) << "the subview at its frame's origin, twice the size";
    EXPECT_EQ(image->pixelAt(8, 4), white) << "its own subview inside it";
    EXPECT_EQ(image->pixelAt(2, 9), red) << "the hidden subview and its subview are not drawn";
    root->setHidden(true);
    EXPECT_EQ(render(*root, {4, 4}, CGRectMake(0, 0, 4, 4))->pixelAt(0, 0), clear);
}

TEST(UIViewDrawing, AlphaMultipliesDownTheTree) {
    const auto root = viewWith(CGRectMake(0, 0, 4, 4), red, 0.5);
    const auto child = viewWith(CGRectMake(2, 0, 2, 4), clear, 0.5);
    child->addSubview(viewWith(CGRectMake(0, 0, 2, 2), blue, 0.5));
    root->addSubview(child);
    const auto image = render(*root, {4, 4}, CGRectMake(0, 0, 4, 4));
    EXPECT_TRUE(isNear(image->pixelAt(3, 3), {255, 0, 0, 128}));
    EXPECT_TRUE(isNear(image->pixelAt(3, 0), {198, 0, 57, 143}, 3)) << "blue at 1/8 over red at 1/2";
}

TEST(UIViewDrawing, AButtonStretchesItsBackgroundAndCentresItsImageShrunkToFit) {
    const auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(CGRectMake(0, 0, 10, 10));
    button->setBackgroundImage(solid(1, 1, blue), UIControlStateNormal);
    button->setImage(solid(4, 4, red), UIControlStateNormal);
    button->setImage(solid(40, 20, green), UIControlStateHighlighted); // shown 10 x 5, from y 2.5
    auto image = render(*button, {10, 10}, CGRectMake(0, 0, 10, 10));
    EXPECT_EQ(image->pixelAt(0, 0), blue);
    EXPECT_EQ(image->pixelAt(9, 9), blue);
    EXPECT_EQ(image->pixelAt(2, 2), blue);
    EXPECT_EQ(image->pixelAt(3, 3), red);
    EXPECT_EQ(image->pixelAt(6, 6), red);
    EXPECT_EQ(image->pixelAt(7, 7), blue);

    button->setHighlighted(true);
    image = render(*button, {10, 10}, CGRectMake(0, 0, 10, 10));
    for (std::size_t x = 0; x < 10; ++x) {
        EXPECT_EQ(image->pixelAt(x, 1), blue) << x;
        EXPECT_EQ(image->pixelAt(x, 3), green) << x;
        EXPECT_EQ(image->pixelAt(x, 6), green) << x;
        EXPECT_EQ(image->pixelAt(x, 8), blue) << x;
    }
}

} // namespace
