#include "ScannerFixture.h"

#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"

namespace {

struct BoxListener : QRCodeReaderViewDelegate {
    std::vector<CGRect> boxes;
    void loadView(CGRect rect) override { boxes.push_back(rect); }
};

std::vector<std::shared_ptr<CAShapeLayer>> shapeLayers(const UIView& view) {
    std::vector<std::shared_ptr<CAShapeLayer>> shapes;
    for (const auto& layer : view.layer()->sublayers())
        if (auto shape = std::dynamic_pointer_cast<CAShapeLayer>(layer))
            shapes.push_back(shape);
    return shapes;
}

CGImage::RGBA pixelOf(const UIView& view, CGFloat x, CGFloat y) {
    UIGraphicsBeginImageContextWithOptions(view.frame().size, false, 1);
    view.drawViewHierarchyInRect(view.bounds());
    const auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image->CGImage()->pixelAt(std::size_t(x), std::size_t(y));
}

} // namespace

using ReaderViewTest = ScannerTest;

TEST_F(ReaderViewTest, TheBoxFollowsTheViewsShape) {
    EXPECT_TRUE(rectNear(QRCodeReaderView::scanBoxInRect(CGRectMake(0, 0, 320, 568)),
                         CGRectMake(50, 144.333, 220, 220)));
    EXPECT_TRUE(
        rectNear(QRCodeReaderView::scanBoxInRect(CGRectMake(0, 0, 568, 320)), CGRectMake(100, 65, 220, 220)));
    EXPECT_TRUE(
        rectNear(QRCodeReaderView::scanBoxInRect(CGRectMake(0, 0, 400, 400)), CGRectMake(50, 65, 300, 300)));
}

TEST_F(ReaderViewTest, EachDrawingPassStoresTheBoxTellsTheDelegateAndReplacesTheDimming) {
    const auto view = QRCodeReaderView::make(CGRectMake(0, 0, 320, 568));
    const auto listener = std::make_shared<BoxListener>();
    view->setDelegate(listener);
    EXPECT_EQ(view->innerViewRect(), CGRectZero);
    const auto& overlay = *view->overlay();
    EXPECT_EQ(overlay.strokeColor()->red, UIColor::lightGrayColor()->red());
    EXPECT_EQ(overlay.fillColor()->alpha, 0);
    EXPECT_EQ(overlay.lineDashPattern(), (std::vector<CGFloat>{50, 0}));
    EXPECT_FLOAT_EQ(overlay.opacity(), 0.5f);

    for (int pass = 0; pass < 2; ++pass) {
        view->setNeedsDisplay();
        view->displayIfNeeded();
        const auto shapes = shapeLayers(*view);
        ASSERT_EQ(shapes.size(), 5u) << "the outline and one set of four strips";
        EXPECT_TRUE(rectNear(view->innerViewRect(), CGRectMake(50, 144.333, 220, 220)));
        EXPECT_TRUE(rectNear(pathRect(*shapes[0]), view->innerViewRect()));
        EXPECT_TRUE(rectNear(pathRect(*shapes[1]), CGRectMake(0, 0, 320, 144.333)));
        EXPECT_TRUE(rectNear(pathRect(*shapes[2]), CGRectMake(0, 144.333, 50, 568)));
        EXPECT_TRUE(rectNear(pathRect(*shapes[3]), CGRectMake(270, 144.333, 50, 568)));
        EXPECT_TRUE(rectNear(pathRect(*shapes[4]), CGRectMake(50, 364.333, 220, 203.667)));
        EXPECT_FLOAT_EQ(shapes[4]->opacity(), 0.5f);
    }
    EXPECT_EQ(listener->boxes.size(), 2u);
    // The surround is half-dimmed black, the box stays clear.
    EXPECT_EQ(pixelOf(*view, 10, 10).alpha, 128);
    EXPECT_EQ(pixelOf(*view, 160, 250).alpha, 0);
}

TEST_F(ReaderViewTest, TheSwitchButtonDrawsItsGlyphAndRedrawsWhileTouched) {
    const auto button = QRCameraSwitchButton::make(CGRectMake(0, 0, 70, 50));
    EXPECT_TRUE(button->edgeColor()->isEqual(*UIColor::whiteColor()));
    EXPECT_TRUE(button->fillColor()->isEqual(*UIColor::darkGrayColor()));
    EXPECT_TRUE(button->fillHighlightedColor()->isEqual(*UIColor::blackColor()));
    button->displayIfNeeded();
    // Inside the body (x 21 to 49, y 16.6 to 33.4), away from the lens and the outline: the fill colour.
    const CGImage::RGBA darkGray = {85, 85, 85, 255};
    EXPECT_EQ(pixelOf(*button, 45, 20), darkGray);
    // The lens ring (outer diameter 13.44, inner 9.41, centred on 35, 25) in the edge colour.
    EXPECT_EQ(pixelOf(*button, 35, 19), (CGImage::RGBA{255, 255, 255, 255}));
    EXPECT_EQ(pixelOf(*button, 5, 5).alpha, 0);

    button->touchesBegan();
    EXPECT_TRUE(button->needsDisplay());
    button->displayIfNeeded();
    EXPECT_EQ(pixelOf(*button, 45, 20), (CGImage::RGBA{0, 0, 0, 255}));
    button->touchesCancelled();
    button->displayIfNeeded();
    EXPECT_EQ(pixelOf(*button, 45, 20), darkGray);

    // Twice as wide: every length doubles, the body spans x 42 to 98.
    const auto wide = QRCameraSwitchButton::make(CGRectMake(0, 0, 140, 50));
    wide->displayIfNeeded();
    EXPECT_EQ(pixelOf(*wide, 50, 12), darkGray);
    EXPECT_EQ(pixelOf(*wide, 38, 25).alpha, 0);
}
