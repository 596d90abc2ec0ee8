#include "Caddex/CCSection.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSNotificationCenter.h"
#include "objc/runtime.h"

// A section that says what the loader asks of it on the default notification center, so that a test sees
// those calls in one line with the loader's own notifications. Its height grows by 20 points at each
// appearance, which shows whether the loader asks for it again.
namespace {

class TestSection : public NSObject, public CCSection {
    OBJC_OBJECT(TestSection, NSObject)
    std::shared_ptr<UIView> view() const override { return _view; }
    double sectionHeight() const override { return 20.0 * _appearances; }
    void controlCenterWillAppear() override {
        ++_appearances;
        NSNotificationCenter::defaultCenter().postNotificationName("TestSectionWillAppear", nullptr);
    }
    void controlCenterDidDisappear() override {
        NSNotificationCenter::defaultCenter().postNotificationName("TestSectionDidDisappear", nullptr);
    }

  protected:
    TestSection() = default;

  private:
    std::shared_ptr<UIView> _view = UIView::make();
    int _appearances = 0;
};

class NotASection : public NSObject {
    OBJC_OBJECT(NotASection, NSObject)
  protected:
    NotASection() = default;
};

} // namespace

NS_BUNDLE_ENTRY_POINT {
    ObjCRuntime::registerClass<TestSection>();
    ObjCRuntime::registerClass<NotASection>();
    ObjCRuntime::registerClass("FailingSection", [] { return std::shared_ptr<NSObject>(); });
}
