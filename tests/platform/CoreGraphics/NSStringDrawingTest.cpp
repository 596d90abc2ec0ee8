#include "UIKit/NSStringDrawing.h"
#include "GraphicsTestSupport.h"
#include "UIKit/UILabel.h"
#include "UIKit/UINavigationBar.h"

namespace {

// The bounding box of the pixels that are not transparent; empty when there are none.
CGRect inkBox(const ImageContext& context, std::size_t width, std::size_t height) {
    const auto image = CGBitmapContextCreateImage(context.context());
    std::size_t left = width, right = 0, top = height, bottom = 0;
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            if (image->pixelAt(x, y).alpha == 0)
                continue;
            left = std::min(left, x), right = std::max(right, x + 1);
            top = std::min(top, y), bottom = std::max(bottom, y + 1);
        }
    }
    return left < right ? CGRectMake(left, top, right - left, bottom - top) : CGRectZero;
}

TEST(NSStringDrawing, TextWrapsAtWordsAndGrowsWithTheFontSize) {
    const NSStringAttributes body{13, false, UIColor::blackColor(), NSTextAlignmentLeft};
    const NSStringAttributes large{26, true, UIColor::blackColor(), NSTextAlignmentLeft};
    const CGSize line = NSStringBoundingSize("Open App Store", 1000, body);
    const CGSize wrapped = NSStringBoundingSize("Open App Store", 40, body);
    EXPECT_GT(line.width, 40);
    EXPECT_GT(line.height, 10);
    EXPECT_LE(wrapped.width, 40);
    EXPECT_GE(wrapped.height, 2 * line.height) << "three words, one a line";
    EXPECT_GT(NSStringBoundingSize("Open App Store", 1000, large).height, 1.8 * line.height);
    EXPECT_EQ(NSStringBoundingSize("", 100, body).width, 0);
}

TEST(NSStringDrawing, OneLineIsMeasuredAsWideAsItsTextUpToTheWidthGiven) {
    NSStringAttributes cut{17, false, UIColor::blackColor(), NSTextAlignmentLeft, 1};
    const std::string text = "Upload Photo/Video to Facebook Messenger";
    const CGSize whole = NSStringBoundingSize(text, 1000, cut);
    const CGSize shortened = NSStringBoundingSize(text, 100, cut);
    EXPECT_GT(whole.width, 200);
    EXPECT_LE(shortened.width, 100);
    EXPECT_GT(shortened.width, 60) << "as much of the text as fits, then the ellipsis";
    EXPECT_EQ(shortened.height, whole.height) << "one line, not wrapped";
    EXPECT_EQ(NSStringBoundingSize("OK", 100, cut).width, NSStringBoundingSize("OK", 1000, cut).width)
        << "text that fits is not cut";

    const ImageContext context({120, 30}, 1);
    NSStringDrawInRect(text, CGRectMake(10, 0, 100, 30), cut);
    const CGRect ink = inkBox(context, 120, 30);
    EXPECT_GE(ink.origin.x, 10);
    EXPECT_LE(CGRectGetMaxX(ink), 110);
    const ImageContext wrapped({120, 60}, 1);
    cut.numberOfLines = 0;
    NSStringDrawInRect(text, CGRectMake(10, 0, 100, 60), cut);
    EXPECT_GT(inkBox(wrapped, 120, 60).size.height, 1.5 * ink.size.height) << "wrapping takes more lines";
}

TEST(NSStringDrawing, TextIsDrawnUprightInsideItsRectInTheColourAndAlignmentAsked) {
    const ImageContext context({120, 40}, 2);
    const NSStringAttributes centred{13, false, UIColor::colorWithRed(1, 0, 0, 1), NSTextAlignmentCenter};
    NSStringDrawInRect("OK", CGRectMake(20, 10, 80, 20), centred);
    const CGRect ink = inkBox(context, 240, 80);
    ASSERT_GT(ink.size.width, 0);
    EXPECT_GE(ink.origin.x, 40);
    EXPECT_LE(CGRectGetMaxX(ink), 200);
    EXPECT_GE(ink.origin.y, 20) << "below the rect's top: user space is top-left, as in UIKit";
    EXPECT_LE(CGRectGetMaxY(ink), 60);
    EXPECT_NEAR(ink.origin.x + ink.size.width / 2, 120, 6) << "centred in the rect";
    bool sawRed = false;
    for (std::size_t x = std::size_t(ink.origin.x); x < std::size_t(CGRectGetMaxX(ink)); ++x)
        sawRed = sawRed || isNear(context.at(x, std::size_t(ink.origin.y + ink.size.height / 2)), red, 40);
    EXPECT_TRUE(sawRed);

    const ImageContext cut({120, 40}, 1);
    NSStringDrawInRect("A long line of text that does not fit", CGRectMake(0, 0, 120, 8), centred);
    EXPECT_LE(CGRectGetMaxY(inkBox(cut, 120, 40)), 8) << "what does not fit is cut off";
}

TEST(NSStringDrawing, ChineseAndJapaneseTextHaveWidthsOfTheirOwnAndWrapBetweenCharacters) {
    const NSStringAttributes body{17, false, UIColor::blackColor(), NSTextAlignmentLeft};
    const CGSize two = NSStringBoundingSize("按钮", 1000, body);
    const CGSize four = NSStringBoundingSize("按钮按钮", 1000, body);
    EXPECT_GT(two.width, 17 * 1.5) << "each character about a font size wide";
    EXPECT_NEAR(four.width, 2 * two.width, 2);
    const CGSize wrapped = NSStringBoundingSize("写真またはビデオを撮る", 60, body);
    EXPECT_LE(wrapped.width, 60) << "text without spaces still wraps";
    EXPECT_GE(wrapped.height, 2.5 * two.height);
}

TEST(NSStringDrawing, ALimitOfLinesShortensTheTextWithAnEllipsis) {
    NSStringAttributes oneLine{17, false, UIColor::blackColor(), NSTextAlignmentLeft};
    oneLine.numberOfLines = 1;
    const std::string text = "A long line of text that does not fit";
    const CGSize whole = NSStringBoundingSize(text, 1000, oneLine);
    const CGSize shortened = NSStringBoundingSize(text, 80, oneLine);
    EXPECT_NEAR(shortened.height, whole.height, 1) << "one line";
    EXPECT_LE(shortened.width, 80);
    EXPECT_GT(shortened.width, 40) << "filled up to the ellipsis";
    EXPECT_EQ(NSStringBoundingSize("Short", 80, oneLine).width,
              NSStringBoundingSize("Short", 1000, oneLine).width);

    oneLine.numberOfLines = 2;
    EXPECT_NEAR(NSStringBoundingSize(text, 80, oneLine).height, 2 * whole.height, 2);
}

// The height of the ink of a label of that height.
CGFloat labelInkHeight(std::string text, CGFloat height) {
    const auto label = UILabel::make(CGRectMake(0, 0, 300, height));
    label->setFontSize(13);
    label->setText(std::move(text));
    const ImageContext context({300, height}, 2);
    label->drawViewHierarchyInRect(CGRectMake(0, 0, 300, height));
    return inkBox(context, 600, std::size_t(2 * height)).size.height;
}

TEST(NSStringDrawing, ALabelKeepsItsMiddleWhenItsLineIsTallerThanTheLabel) {
    EXPECT_EQ(UILabel::make()->numberOfLines(), 1) << "as UIKit's labels";
    const std::string tip = "バーコードを枠内に入れてください";
    const CGFloat roomy = labelInkHeight(tip, 40);
    ASSERT_GT(roomy, 16) << "about ten points of glyphs";
    EXPECT_GE(labelInkHeight(tip, 15), roomy - 1) << "a 15-point label cuts nothing off the glyphs";
}

// Where a navigation bar 320 points wide draws its title's dark ink and its button's blue ink, in pixels.
struct BarInk {
    std::size_t titleLeft = 640, titleRight = 0, buttonLeft = 640;
};
BarInk barInk(const std::string& title, const std::string& button) {
    const auto bar = UINavigationBar::make(CGRectMake(0, 0, 320, 64));
    const auto item = UINavigationItem::make();
    item->setTitle(title);
    item->setRightBarButtonItem(UIBarButtonItem::make(button, UIBarButtonItemStylePlain, nullptr));
    bar->setTopItem(item);
    const ImageContext context({320, 64}, 2);
    bar->drawViewHierarchyInRect(CGRectMake(0, 0, 320, 64));
    BarInk ink;
    for (std::size_t y = 40; y < 128; ++y) {
        for (std::size_t x = 0; x < 640; ++x) {
            const auto pixel = context.at(x, y);
            if (pixel.red < 90 && pixel.green < 90 && pixel.blue < 90)
                ink.titleLeft = std::min(ink.titleLeft, x), ink.titleRight = std::max(ink.titleRight, x);
            else if (pixel.blue > 200 && pixel.red < 90)
                ink.buttonLeft = std::min(ink.buttonLeft, x);
        }
    }
    return ink;
}

TEST(NSStringDrawing, ANavigationBarsTitleIsCentredUntilItWouldReachAButtonAndThenShortened) {
    const BarInk centred = barInk("扫码", "取消");
    EXPECT_NEAR((centred.titleLeft + centred.titleRight) / 2.0, 320, 4) << "centred on the bar";

    const BarInk moved = barInk("コードをスキャン", "キャンセル");
    EXPECT_LT(moved.titleRight + 10, moved.buttonLeft) << "clear of the button";
    EXPECT_LT((moved.titleLeft + moved.titleRight) / 2.0, 316) << "moved to the left to fit whole";

    const BarInk shortened = barInk("A very long title for a page of the settings", "Donate");
    EXPECT_LT(shortened.titleRight + 10, shortened.buttonLeft) << "shortened before the button";
    EXPECT_GT(shortened.titleLeft, 8) << "and inside the bar";
}

} // namespace
