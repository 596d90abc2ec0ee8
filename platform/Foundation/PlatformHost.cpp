#include "Foundation/PlatformHost.h"

Badge<PlatformHost> PlatformHost::badge() {
    return {};
}
