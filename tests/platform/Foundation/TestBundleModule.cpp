#include "Foundation/NSBundle.h"
#include "objc/runtime.h"

namespace {

class TestPrincipal : public NSObject {};

} // namespace

NS_BUNDLE_ENTRY_POINT {
    ObjCRuntime::registerClass("TestPrincipal", [] { return std::make_shared<TestPrincipal>(); });
}
