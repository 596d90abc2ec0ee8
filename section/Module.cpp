#include "Foundation/NSBundle.h"
#include "OrvaneCCSection.h"
#include "objc/runtime.h"

NS_BUNDLE_ENTRY_POINT {
    ObjCRuntime::registerClass<OrvaneCCSection>();
}
