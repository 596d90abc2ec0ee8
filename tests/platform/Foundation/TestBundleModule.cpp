#include "Foundation/NSBundle.h"
#include "objc/runtime.h"

namespace {

class TestPrincipal : public NSObject {
    OBJC_OBJECT(TestPrincipal, NSObject)
  protected:
    TestPrincipal() = default;
};

} // namespace

NS_BUNDLE_ENTRY_POINT {
    ObjCRuntime::registerClass<TestPrincipal>();
}
