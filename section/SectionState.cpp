#include "SectionState.h"

SectionState& sectionState() {
    static SectionState state;
    return state;
}

void resetSectionState() {
    sectionState() = SectionState();
}
