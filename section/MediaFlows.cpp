#include "MediaFlows.h"

// The scanner is not built yet: until it is, a tap that asks for it shows nothing, as a tap on an unavailable
// service does.
void presentScanner() {}
