#include "DefaultActionsListController.h"
#include "Foundation/NSBundle.h"
#include "IconListItemsController.h"
#include "OrvanePrefsListController.h"

NS_BUNDLE_ENTRY_POINT {
    ObjCRuntime::registerClass<OrvanePrefsListController>();
    ObjCRuntime::registerClass<IconListItemsController>();
    ObjCRuntime::registerClass<DefaultActionsListController>();
    ObjCRuntime::registerClass<ColorsListController>();
}
