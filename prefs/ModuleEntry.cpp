#include "Foundation/NSBundle.h"
#include "PaneClasses.h"

NS_BUNDLE_ENTRY_POINT {
    registerPaneClasses();
}
