#pragma once

// Registers the pane's four page classes with the runtime; they belong to the bundle that is loading.
void registerPaneClasses();
