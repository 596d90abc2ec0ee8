// What the layering test must refuse: the section reaching into the settings pane.
#include "prefs/SettingsPane.h"
