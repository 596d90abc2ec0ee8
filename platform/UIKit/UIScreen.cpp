#include "UIKit/UIScreen.h"

UIScreen& UIScreen::mainScreen() {
    static const auto screen = make();
    return *screen;
}
