#pragma once

#include "CameraCommands.h"
#include "Commands.h"
#include "UIKit/PresentationHost.h"

#include <span>
#include <vector>

// The commands with which the person answers the media sheets shown over Control Center: the picker (the
// camera takes a photo or video, or one is chosen from the library, or the picker is cancelled), the mail,
// message and post sheets, and the share sheet.
class MediaCommands {
  public:
    // The presentation host and the camera's commands (what the camera sees) outlive these commands.
    MediaCommands(PresentationStack& presented, const CameraCommands& camera);
    MediaCommands(const MediaCommands&) = delete;
    MediaCommands& operator=(const MediaCommands&) = delete;

    static std::span<const CommandEntry<MediaCommands>> commandTable();

  private:
    int picker(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int sheet(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int share(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);

    PresentationStack& _presented;
    const CameraCommands& _camera;
};
