#pragma once

// What the layering test must refuse in plug-in code: the header that makes the badge host setters take.
#include "Foundation/PlatformHost.h"
