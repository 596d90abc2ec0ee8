#pragma once

#include "Caddex/CaddexLoader.h"
#include "Commands.h"
#include "UIKit/PresentationHost.h"
#include "UIKit/UIButton.h"

#include <span>
#include <vector>

// The commands that play the person holding the device: tap or hold a button, see and answer what is
// presented over Control Center or dismiss it, turn the application in front.
class PersonCommands {
  public:
    // The loader and the presentation host outlive these commands.
    PersonCommands(const CaddexLoader& loader, PresentationStack& presented);
    PersonCommands(const PersonCommands&) = delete;
    PersonCommands& operator=(const PersonCommands&) = delete;

    static std::span<const CommandEntry<PersonCommands>> commandTable();

  private:
    int tap(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int hold(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    // The section's button of that slot when a finger can reach it; else nothing, with the reason.
    std::shared_ptr<UIButton> reachableButton(int slot, std::ostream& errors) const;
    int alert(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int choose(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int orientation(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int presented(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
    int dismiss(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);

    const CaddexLoader& _loader;
    PresentationStack& _presented;
};
