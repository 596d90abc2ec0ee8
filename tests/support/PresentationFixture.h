#pragma once

#include "Foundation/PlatformHost.h"
#include "UIKit/PresentationHost.h"

// Stands in for the simulator as the presentation host while a test runs: it keeps what is shown and
// answers as the person would (dismissTopmost, and the answers later presentations bring).
class PresentationFixture : public PresentationStack {
  public:
    PresentationFixture() { PresentationHost::setCurrent(PlatformHost::badge(), this); }
    ~PresentationFixture() override { PresentationHost::setCurrent(PlatformHost::badge(), nullptr); }
    PresentationFixture(const PresentationFixture&) = delete;
    PresentationFixture& operator=(const PresentationFixture&) = delete;
};
