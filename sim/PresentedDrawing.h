#pragma once

#include "CoreGraphics/CGGeometry.h"
#include "Touchables.h"
#include "UIKit/UIAlertController.h"

// Draws the alert into the current image context over a screen of `screen` points, as UIKit lays it out: an
// alert as a rounded panel in the middle, an action sheet at the bottom with its cancel action apart. Each
// action's button goes to `touchables`.
void drawAlertOverScreen(const UIAlertController& alert, CGRect screen, Touchables& touchables);
