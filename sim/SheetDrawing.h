#pragma once

#include "CoreGraphics/CGGeometry.h"
#include "Touchables.h"

class MFMailComposeViewController;
class MFMessageComposeViewController;
class SLComposeViewController;
class UIActivityViewController;
class UIImagePickerController;

// Draws what the section presents other than alerts into the current image context over a screen of
// `screen` points, simply: a mail, message or post sheet as a card with its navigation bar and the
// attachment's thumbnail; the picker as the camera's view or the library's grid; the share sheet with its
// activities. What a finger can press goes to `touchables`.
void drawSheetOverScreen(const MFMailComposeViewController& mail, CGRect screen, Touchables& touchables);
void drawSheetOverScreen(const MFMessageComposeViewController& message, CGRect screen,
                         Touchables& touchables);
void drawSheetOverScreen(const SLComposeViewController& post, CGRect screen, Touchables& touchables);
void drawSheetOverScreen(const UIImagePickerController& picker, CGRect screen, Touchables& touchables);
void drawSheetOverScreen(const UIActivityViewController& sheet, CGRect screen, Touchables& touchables);
