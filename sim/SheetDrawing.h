#pragma once

#include "CoreGraphics/CGGeometry.h"

class MFMailComposeViewController;
class MFMessageComposeViewController;
class SLComposeViewController;
class UIActivityViewController;
class UIImagePickerController;

// Draws what the section presents other than alerts into the current image context over a screen of
// `screen` points, simply: a mail, message or post sheet as a card with its navigation bar and the
// attachment's thumbnail; the picker as the camera's view or the library's grid; the share sheet with its
// activities.
void drawSheetOverScreen(const MFMailComposeViewController& mail, CGRect screen);
void drawSheetOverScreen(const MFMessageComposeViewController& message, CGRect screen);
void drawSheetOverScreen(const SLComposeViewController& post, CGRect screen);
void drawSheetOverScreen(const UIImagePickerController& picker, CGRect screen);
void drawSheetOverScreen(const UIActivityViewController& sheet, CGRect screen);
