// What the layering test must refuse: the settings pane reaching into the section.
#include "section/TapDispatch.h"
