#pragma once

// What the layering test must refuse in plug-in code.
#include "Device/libuv/UVHandles.h"
