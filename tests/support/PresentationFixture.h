#pragma once

#include "UIKit/PresentationHost.h"
#include "UIKit/UIKitHost.h"

// Stands in for the simulator as the presentation host while a test runs: it keeps what is shown and
// answers as the person would (dismissTopmost, and the answers later presentations bring).
class PresentationFixture : public PresentationStack {
  public:
    PresentationFixture() { UIKitHost::setPresentationHost(this); }
    ~PresentationFixture() override { UIKitHost::setPresentationHost(nullptr); }
    PresentationFixture(const PresentationFixture&) = delete;
    PresentationFixture& operator=(const PresentationFixture&) = delete;
};
