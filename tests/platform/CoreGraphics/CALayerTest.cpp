#include "GraphicsTestSupport.h"

#include "QuartzCore/CALayer.h"
#include "UIKit/UIImage.h"

namespace {

CGImageRef render(const CALayer& root, CGSize size) {
    UIGraphicsBeginImageContextWithOptions(size, false, 1);
    root.renderInContext(UIGraphicsGetCurrentContext());
    const auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image->CGImage();
}

std::shared_ptr<CGPath> rectPath(CGRect rect) {
    auto path = std::make_shared<CGPath>();
    path->addRect(rect);
    return path;
}

} // namespace

TEST(CALayerTest, SublayersStackInOrderWithInsertionAtAnIndex) {
    const auto root = CALayer::layer();
    const auto a = CALayer::layer();
    const auto b = CALayer::layer();
    const auto c = CALayer::layer();
    root->addSublayer(a);
    root->addSublayer(b);
    root->insertSublayerAtIndex(c, 0);
    EXPECT_EQ(root->sublayers(), (std::vector<std::shared_ptr<CALayer>>{c, a, b}));
    root->insertSublayerAtIndex(a, 99);
    EXPECT_EQ(root->sublayers(), (std::vector<std::shared_ptr<CALayer>>{c, b, a}));
    b->removeFromSuperlayer();
    EXPECT_EQ(b->superlayer(), nullptr);
    EXPECT_EQ(a->superlayer(), root);
    EXPECT_EQ(root->sublayers().size(), 2u);
}

TEST(CALayerTest, AShapeLayerFillsThenStrokesItsPathAtItsOpacity) {
    const auto root = CALayer::layer();
    root->setFrame(CGRectMake(0, 0, 40, 40));
    const auto shape = CAShapeLayer::layer();
    shape->setPath(rectPath(CGRectMake(10, 10, 20, 20)));
    root->addSublayer(shape);
    auto image = render(*root, {40, 40});
    EXPECT_TRUE(isNear(image->pixelAt(20, 20), black)) << "filled black unless told otherwise";
    EXPECT_TRUE(isNear(image->pixelAt(5, 5), clear));

    shape->setFillColor(nullptr);
    shape->setStrokeColor(CGColorCreateSRGB(1, 0, 0, 1));
    shape->setLineWidth(2);
    // Drawn 50, skipped 0: an unbroken line.
    shape->setLineDashPattern({50, 0});
    shape->setLineDashPhase(1);
    shape->setOpacity(0.5);
    image = render(*root, {40, 40});
    EXPECT_TRUE(isNear(image->pixelAt(20, 20), clear));
    EXPECT_TRUE(isNear(image->pixelAt(10, 20), {255, 0, 0, 128}));
    EXPECT_TRUE(isNear(image->pixelAt(29, 10), {255, 0, 0, 128}));
    EXPECT_TRUE(isNear(image->pixelAt(20, 29), {255, 0, 0, 128}));
}

TEST(CALayerTest, ADashedStrokeLeavesGaps) {
    const auto shape = CAShapeLayer::layer();
    auto path = std::make_shared<CGPath>();
    path->moveToPoint({0, 5});
    path->addLineToPoint({40, 5});
    shape->setPath(path);
    shape->setFillColor(nullptr);
    shape->setStrokeColor(CGColorCreateSRGB(0, 0, 1, 1));
    shape->setLineWidth(2);
    shape->setLineDashPattern({10, 10});
    const auto image = render(*shape, {40, 10});
    EXPECT_TRUE(isNear(image->pixelAt(5, 5), blue));
    EXPECT_TRUE(isNear(image->pixelAt(15, 5), clear));
    EXPECT_TRUE(isNear(image->pixelAt(25, 5), blue));
}
