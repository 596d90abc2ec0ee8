#include "UIKit/UIViewController.h"

#include "UIKit/UIScreen.h"

// As UIKit's default view, a plain view the size of the screen.
UIViewController::UIViewController() : _view(UIView::make(UIScreen::mainScreen().bounds())) {}
