#include "Foundation/NSBundle.h"
#include "OrvaneCCSection.h"
#include "objc/runtime.h"

NS_BUNDLE_ENTRY_POINT {
    ObjCRuntime::registerClass("OrvaneCCSection",
                               []() -> std::shared_ptr<NSObject> { return OrvaneCCSection::init(); });
}
