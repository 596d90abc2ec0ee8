#pragma once

// The code scanner over Control Center, in a navigation controller; what it reads is shown in an alert.
void presentScanner();
