// What the layering test must refuse: the section reaching into the simulator.
#include "sim/Limits.h"
