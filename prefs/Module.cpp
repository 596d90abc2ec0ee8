#include "ColorsListController.h"
#include "DefaultActionsListController.h"
#include "Foundation/NSBundle.h"
#include "IconListItemsController.h"
#include "OrvanePrefsListController.h"
#include "PaneClasses.h"

void registerPaneClasses() {
    ObjCRuntime::registerClass<OrvanePrefsListController>();
    ObjCRuntime::registerClass<IconListItemsController>();
    ObjCRuntime::registerClass<DefaultActionsListController>();
    ObjCRuntime::registerClass<ColorsListController>();
}
