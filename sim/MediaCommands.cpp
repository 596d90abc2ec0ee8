#include "MediaCommands.h"

#include "Device/DeviceRoot.h"
#include "DeviceProfile.h"
#include "MessageUI/MFMessageComposeViewController.h"
#include "MobileCoreServices/UTType.h"
#include "PresentedAnswers.h"
#include "Social/SLComposeViewController.h"
#include "UIKit/UIActivityViewController.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImagePickerController.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iomanip>

namespace {

// Where the camera keeps what it has taken until the picker's delegate has it; not the library.
constexpr std::string_view captureFolder = "/var/tmp/camera";
// What the shutter takes, as the camera writes it.
constexpr std::string_view shutterPhoto = "IMG_0001.JPG";
constexpr CGFloat shutterQuality = 0.9;

// A video by its file name extension, as the type table knows it.
bool isVideoFile(const std::filesystem::path& file) {
    const std::string extension = file.extension().string();
    const auto type = extension.empty() ? std::nullopt
                                        : UTTypeCreatePreferredIdentifierForTag(kUTTagClassFilenameExtension,
                                                                                extension.substr(1));
    return type && UTTypeConformsTo(*type, kUTTypeMovie);
}

// A file of the device handed to the picker: a photo as UIImage decodes it, a video by its file URL.
int pick(UIImagePickerController& picker, const std::string& devicePath, std::ostream& out,
         std::ostream& errors) {
    const std::string name = std::filesystem::path(devicePath).filename().string();
    const bool video = isVideoFile(devicePath);
    bool picked = false;
    if (video) {
        picked = PersonAnswers::pickVideo(picker, NSURL::fileURLWithPath(devicePath));
    } else if (const auto photo = UIImage::imageWithContentsOfFile(devicePath)) {
        picked = PersonAnswers::pickPhoto(picker, photo, name);
    } else {
        errors << name << " is no photo or video the device can read\n";
        return 1;
    }
    if (!picked) {
        errors << "the picker does not offer " << (video ? "videos" : "photos") << "\n";
        return 1;
    }
    out << "picked " << name << "\n";
    return 0;
}

bool showsCamera(const UIImagePickerController& picker, std::ostream& errors) {
    if (picker.sourceType() == UIImagePickerControllerSourceTypeCamera)
        return true;
    errors << "the picker shows the library: choose a photo or video by name\n";
    return false;
}

// The camera takes what a host file holds: the file lands in the camera's folder on the device first.
int take(UIImagePickerController& picker, const std::filesystem::path& file, std::ostream& out,
         std::ostream& errors) {
    if (!showsCamera(picker, errors))
        return 1;
    const std::string devicePath = std::string(captureFolder) + "/" + file.filename().string();
    const auto target = DeviceRoot::resolve(devicePath);
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    if (!std::filesystem::is_regular_file(file, error) ||
        !std::filesystem::copy_file(file, target, std::filesystem::copy_options::overwrite_existing, error)) {
        errors << "cannot take " << file.string() << "\n";
        return 1;
    }
    return pick(picker, devicePath, out, errors);
}

// The shutter: the camera takes the picture held up to it, as the photo it writes to its folder.
int shoot(UIImagePickerController& picker, const CGImageRef& sight, std::ostream& out, std::ostream& errors) {
    if (!showsCamera(picker, errors))
        return 1;
    if (!sight) {
        errors << "the camera sees nothing in particular: show it a picture first (camera show FILE)\n";
        return 1;
    }
    const std::string devicePath = std::string(captureFolder) + "/" + std::string(shutterPhoto);
    const auto target = DeviceRoot::resolve(devicePath);
    const auto photo =
        UIImageJPEGRepresentation(*UIImage::imageWithCGImage(sight, 1, UIImageOrientationUp), shutterQuality);
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    std::ofstream file(target, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(photo.data()), static_cast<std::streamsize>(photo.size()));
    file.close();
    if (photo.empty() || !file) {
        errors << "the camera cannot write " << devicePath << "\n";
        return 1;
    }
    return pick(picker, devicePath, out, errors);
}

// A file of the library by its name; nothing outside the library folder.
int choose(UIImagePickerController& picker, const std::string& name, std::ostream& out,
           std::ostream& errors) {
    const std::string devicePath = std::string(photoLibraryFolder) + "/" + name;
    std::error_code error;
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == ".." ||
        !std::filesystem::is_regular_file(DeviceRoot::resolve(devicePath), error)) {
        errors << "the library has no " << std::quoted(name) << "\n";
        return 1;
    }
    return pick(picker, devicePath, out, errors);
}

template <typename Result> struct Answer {
    std::string_view word;
    Result result;
};
constexpr Answer<MFMailComposeResult> mailAnswers[] = {{"send", MFMailComposeResultSent},
                                                       {"save", MFMailComposeResultSaved},
                                                       {"fail", MFMailComposeResultFailed},
                                                       {"cancel", MFMailComposeResultCancelled}};
constexpr Answer<MessageComposeResult> messageAnswers[] = {{"send", MessageComposeResultSent},
                                                           {"fail", MessageComposeResultFailed},
                                                           {"cancel", MessageComposeResultCancelled}};
constexpr Answer<SLComposeViewControllerResult> postAnswers[] = {
    {"post", SLComposeViewControllerResultDone}, {"cancel", SLComposeViewControllerResultCancelled}};

// Answers the sheet on top when it is of this kind and takes the word; false otherwise.
template <typename Sheet, typename Result, std::size_t count>
bool answer(const PresentationStack& presented, const Answer<Result> (&answers)[count],
            std::string_view word) {
    const auto sheet = presented.template topmostOf<Sheet>();
    const auto found = std::ranges::find(answers, word, &Answer<Result>::word);
    if (!sheet || found == std::end(answers))
        return false;
    PersonAnswers::finishWithResult(*sheet, found->result);
    return true;
}

} // namespace

MediaCommands::MediaCommands(PresentationStack& presented, const CameraCommands& camera)
    : _presented(presented), _camera(camera) {}

std::span<const CommandEntry<MediaCommands>> MediaCommands::commandTable() {
    static constexpr CommandEntry<MediaCommands> commands[] = {
        {"picker", "picker take FILE | shutter | choose NAME | cancel",
         "in the picker: the camera takes what the host FILE holds, or with the shutter what it sees, or "
         "NAME "
         "is chosen from the library, or the picker is cancelled",
         &MediaCommands::picker},
        {"sheet", "sheet send | save | fail | cancel | post",
         "answer the sheet: a mail (send, save, fail, cancel), a message (send, fail, cancel) or a post "
         "(post, cancel)",
         &MediaCommands::sheet},
        {"share", "share ACTIVITY | cancel",
         "complete an activity of the share sheet (its type, or the part after the last dot, as Mail), or "
         "cancel",
         &MediaCommands::share},
    };
    return commands;
}

int MediaCommands::picker(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors) {
    const bool alone = arguments.size() == 1 && (arguments[0] == "cancel" || arguments[0] == "shutter");
    const bool withFile = arguments.size() == 2 && (arguments[0] == "take" || arguments[0] == "choose");
    if (!alone && !withFile)
        return printUsageError(commandTable(), "picker", errors);
    const auto shown = _presented.topmostOf<UIImagePickerController>();
    if (!shown) {
        errors << notPresented(_presented, "picker") << "\n";
        return 1;
    }
    if (arguments[0] == "shutter")
        return shoot(*shown, _camera.picture(), out, errors);
    if (arguments[0] == "cancel") {
        PersonAnswers::cancel(*shown);
        out << "cancelled the picker\n";
        return 0;
    }
    return arguments[0] == "take" ? take(*shown, arguments[1], out, errors)
                                  : choose(*shown, arguments[1], out, errors);
}

int MediaCommands::sheet(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors) {
    if (arguments.size() != 1)
        return printUsageError(commandTable(), "sheet", errors);
    const std::string& word = arguments[0];
    if (!answer<MFMailComposeViewController>(_presented, mailAnswers, word) &&
        !answer<MFMessageComposeViewController>(_presented, messageAnswers, word) &&
        !answer<SLComposeViewController>(_presented, postAnswers, word)) {
        errors << notPresented(_presented,
                               "mail, message or post sheet that can be answered \"" + word + "\"")
               << "\n";
        return 1;
    }
    out << "answered the sheet: " << word << "\n";
    return 0;
}

int MediaCommands::share(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors) {
    if (arguments.size() != 1)
        return printUsageError(commandTable(), "share", errors);
    const auto sheet = _presented.topmostOf<UIActivityViewController>();
    if (!sheet) {
        errors << notPresented(_presented, "share sheet") << "\n";
        return 1;
    }
    if (arguments[0] == "cancel") {
        PersonAnswers::cancel(*sheet);
        out << "cancelled the share sheet\n";
        return 0;
    }
    for (const auto type : sheet->activityTypes()) {
        if (type == arguments[0] || type.ends_with("." + arguments[0])) {
            PersonAnswers::performActivity(*sheet, type);
            out << "completed " << type << "\n";
            return 0;
        }
    }
    errors << "the share sheet offers no activity " << std::quoted(arguments[0]) << "\n";
    return 1;
}
