#pragma once

// What the layering test must refuse in plug-in code: the header of a class whose badge host setters take.
#include "Foundation/FoundationHost.h"
