#pragma once

#include "CoreGraphics/CGGeometry.h"
#include "UIKit/UIViewController.h"

// Draws what the section presents other than alerts into the current image context over a screen of
// `screen` points, simply: a mail, message or post sheet as a card with its navigation bar and the
// attachment's thumbnail; the picker as the camera's view or the library's grid; the share sheet with its
// activities. Answers false, drawing nothing, for a controller it does not know.
bool drawSheetOverScreen(const UIViewController& controller, CGRect screen);
