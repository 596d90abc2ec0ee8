#include "MediaFlows.h"

// The compose sheets, the picker and the scanner are not built yet: until they are, a tap that asks for one
// shows nothing, as a tap on an unavailable service does.
void presentSocialCompose(std::string_view) {}
void presentMailCompose() {}
void presentMessageCompose() {}
void presentImagePicker(bool, bool) {}
void presentScanner() {}
