#pragma once

#include "ComposeSheets.h"
#include "MediaPicking.h"

// The flows a tap can start that show a sheet of their own: Social posts, mail, messages, the photo and video
// picker (above) and the code scanner.
void presentScanner();
