#pragma once

#include "UIKit/UIImage.h"

#include <memory>

// The image with its pixels turned and mirrored so that they stand as the image shows them, at scale 1 and
// orientation up; an image that is up already comes back as the same object.
std::shared_ptr<UIImage> normaliseImageOrientation(const std::shared_ptr<UIImage>& image);
