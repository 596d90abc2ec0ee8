#include "scanner/QRCodeReaderViewController.h"

#include "Foundation/NSBundle.h"
#include "Foundation/NSOperationQueue.h"
#include "UIKit/UIScreen.h"

namespace {

constexpr std::string_view sectionBundlePath = "/Library/Caddex/Bundles/OrvaneCC.bundle/";
constexpr std::string_view beepPath = "/Library/Caddex/Bundles/OrvaneCC.bundle/beep.wav";
constexpr double scanLineInterval = 2.0;
constexpr CGFloat scanLineHeight = 12;
constexpr CGFloat cornerSide = 16;

std::string localized(std::string_view key) {
    const auto bundle = NSBundle::bundleWithPath(sectionBundlePath);
    return bundle ? bundle->localizedStringForKey(key, "", "Localizable") : std::string(key);
}

std::shared_ptr<UIImageView> imageViewNamed(std::string_view name) {
    return UIImageView::make(UIImage::imageNamed(name));
}

// The edited picture where the person edited one, else the original.
std::shared_ptr<UIImage> pickedImage(const UIImagePickerMediaInfo& info) {
    for (const auto key : {UIImagePickerControllerEditedImage, UIImagePickerControllerOriginalImage})
        if (const auto found = info.find(key); found != info.end())
            if (auto image = std::dynamic_pointer_cast<UIImage>(found->second))
                return image;
    return nullptr;
}

} // namespace

void QRCodeReaderViewController::init() {
    Super::init();
    if (!_cancelButtonTitle) {
        const auto main = NSBundle::mainBundle();
        _cancelButtonTitle = main ? main->localizedStringForKey("Cancel", "", "Localizable") : "Cancel";
    }
    view()->setBackgroundColor(UIColor::blackColor());
    // The root view exists from the start; this is where UIKit would load it.
    viewDidLoad();
    setupAVComponents();
    configureDefaultComponents();
    setupUIComponentsWithCancelButtonTitle(*_cancelButtonTitle);
    setupAutoLayoutConstraints();
    if (_previewLayer)
        _cameraView->layer()->insertSublayerAtIndex(_previewLayer, 0);
    _beepPlayer = AVAudioPlayer::playerWithContentsOfURL(*NSURL::fileURLWithPath(beepPath));
}

void QRCodeReaderViewController::viewDidLoad() {
    UIViewController::viewDidLoad();
    navigationItem()->setTitle(localized("Scan Code"));
    std::weak_ptr<QRCodeReaderViewController> self =
        std::static_pointer_cast<QRCodeReaderViewController>(shared_from_this());
    navigationItem()->setRightBarButtonItem(
        UIBarButtonItem::make(localized("Cancel"), UIBarButtonItemStylePlain, [self](UIBarButtonItem&) {
            if (const auto reader = self.lock())
                reader->clickLeftBarButton();
        }));
}

void QRCodeReaderViewController::setupAVComponents() {
    _defaultDevice = AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo);
    if (!_defaultDevice)
        return;
    _defaultDeviceInput = AVCaptureDeviceInput::deviceInputWithDevice(_defaultDevice);
    _metadataOutput = AVCaptureMetadataOutput::make();
    _session = AVCaptureSession::make();
    _previewLayer = AVCaptureVideoPreviewLayer::layerWithSession(_session);
    for (const auto& device : AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo))
        if (device->position() == AVCaptureDevicePositionFront)
            _frontDevice = device;
    if (_frontDevice)
        _frontDeviceInput = AVCaptureDeviceInput::deviceInputWithDevice(_frontDevice);
}

void QRCodeReaderViewController::configureDefaultComponents() {
    if (!_session)
        return;
    _session->addOutput(_metadataOutput);
    if (_defaultDeviceInput)
        _session->addInput(_defaultDeviceInput);
    _metadataOutput->setMetadataObjectsDelegate(
        std::static_pointer_cast<QRCodeReaderViewController>(shared_from_this()),
        NSOperationQueue::mainQueue());
    _metadataOutput->setMetadataObjectTypes(_metadataOutput->availableMetadataObjectTypes());
    _previewLayer->setVideoGravity(AVLayerVideoGravityResizeAspectFill);
    _previewLayer->setFrame(CGRectMake(0, 0, view()->frame().size.width, view()->frame().size.height));
    if (auto* connection = _previewLayer->connection();
        connection && connection->isVideoOrientationSupported())
        connection->setVideoOrientation(videoOrientationFromInterfaceOrientation(interfaceOrientation()));
}

void QRCodeReaderViewController::setupUIComponentsWithCancelButtonTitle(std::string_view title) {
    const CGRect screen = UIScreen::mainScreen().bounds();
    const CGFloat screenWidth = screen.size.width;
    const CGFloat w = screenWidth - 100;
    const CGFloat h = screen.size.height - 40;
    const CGFloat k = (h - w) * 0.5 + h / -6;
    std::weak_ptr<QRCodeReaderViewController> self =
        std::static_pointer_cast<QRCodeReaderViewController>(shared_from_this());

    _cameraView = QRCodeReaderView::make();
    _cameraView->setClipsToBounds(true);
    _cameraView->setDelegate(self);
    view()->addSubview(_cameraView);

    if (_frontDevice) {
        _switchCameraButton = QRCameraSwitchButton::make();
        _switchCameraButton->addTarget(
            [self](UIControl&) {
                if (const auto reader = self.lock())
                    reader->switchCameraAction();
            },
            UIControlEventTouchUpInside);
        view()->addSubview(_switchCameraButton);
    }

    _cancelButton = UIButton::buttonWithType(UIButtonTypeCustom);
    _cancelButton->setHidden(true);
    _cancelButton->setTitle(std::string(title), UIControlStateNormal);
    _cancelButton->setTitleColor(UIColor::grayColor(), UIControlStateHighlighted);
    _cancelButton->addTarget(
        [self](UIControl&) {
            if (const auto reader = self.lock())
                reader->cancelAction();
        },
        UIControlEventTouchUpInside);
    view()->addSubview(_cancelButton);

    _lblTip = UILabel::make(CGRectMake(0, w + k + 90, screenWidth, 15));
    _lblTip->setText(localized("Put the Barcode or QR code into the box"));
    _lblTip->setTextColor(UIColor::whiteColor());
    _lblTip->setFontSize(13);
    _lblTip->setTextAlignment(NSTextAlignmentCenter);
    view()->addSubview(_lblTip);

    const struct {
        std::string_view name;
        CGFloat x, y;
    } corners[] = {{"cor1", 49, k + 76},
                   {"cor2", w + 35, k + 76},
                   {"cor3", 49, w + k + 64},
                   {"cor4", w + 35, w + k + 64}};
    for (const auto& corner : corners) {
        const auto mark = imageViewNamed(corner.name);
        mark->setFrame(CGRectMake(corner.x, corner.y, cornerSide, cornerSide));
        view()->addSubview(mark);
    }

    _imgLine = imageViewNamed("QRCodeScanLine");
    _imgLine->setFrame(CGRectZero);
    view()->addSubview(_imgLine);
}

void QRCodeReaderViewController::setupAutoLayoutConstraints() {
    const NSLayoutConstraint::Views views = {{"_cameraView", _cameraView}, {"_cancelButton", _cancelButton}};
    for (const auto* format :
         {"V:|[_cameraView][_cancelButton(0)]|", "H:|[_cameraView]|", "H:|-[_cancelButton]-|"})
        view()->addConstraints(NSLayoutConstraint::constraintsWithVisualFormat(format, 0, views));
    if (!_switchCameraButton)
        return;
    const NSLayoutConstraint::Views switchViews = {{"_switchCameraButton", _switchCameraButton}};
    for (const auto* format : {"V:|[_switchCameraButton(50)]", "H:[_switchCameraButton(70)]|"})
        view()->addConstraints(NSLayoutConstraint::constraintsWithVisualFormat(format, 0, switchViews));
}

void QRCodeReaderViewController::startScanning() {
    if (_session && !_session->isRunning())
        _session->startRunning();
    if (_timerScan) {
        _timerScan->invalidate();
        _timerScan.reset();
    }
    // As a timer retains its target, this one holds the controller until it is invalidated.
    auto self = std::static_pointer_cast<QRCodeReaderViewController>(shared_from_this());
    _timerScan = NSTimer::scheduledTimerWithTimeInterval(scanLineInterval, true,
                                                         [self](NSTimer&) { self->scanAnimate(); });
}

void QRCodeReaderViewController::stopScanning() {
    if (_session && _session->isRunning())
        _session->stopRunning();
    if (_timerScan) {
        _timerScan->invalidate();
        _timerScan.reset();
    }
}

void QRCodeReaderViewController::viewWillAppear(bool animated) {
    UIViewController::viewWillAppear(animated);
    startScanning();
}

void QRCodeReaderViewController::viewWillDisappear(bool animated) {
    stopScanning();
    UIViewController::viewWillDisappear(animated);
}

void QRCodeReaderViewController::scanAnimate() {
    const CGRect box = _cameraView->innerViewRect();
    _imgLine->setFrame(
        CGRectMake(0, box.origin.y, UIScreen::mainScreen().bounds().size.width, scanLineHeight));
    UIView::animateWithDuration(scanLineInterval, [this, box] {
        CGRect frame = _imgLine->frame();
        frame.origin.y += box.size.height - 6;
        _imgLine->setFrame(frame);
    });
}

void QRCodeReaderViewController::loadView(CGRect) {
    const CGRect box = _cameraView->innerViewRect();
    _imgLine->setFrame(
        CGRectMake(0, box.origin.y, UIScreen::mainScreen().bounds().size.width, scanLineHeight));
    scanAnimate();
}

void QRCodeReaderViewController::captureOutputDidOutputMetadataObjects(
    AVCaptureOutput&, const std::vector<std::shared_ptr<AVMetadataObject>>& metadataObjects,
    AVCaptureConnection&) {
    for (const auto& object : metadataObjects) {
        const auto* code = dynamic_cast<const AVMetadataMachineReadableCodeObject*>(object.get());
        if (!code)
            continue;
        const auto result = code->stringValue();
        stopScanning();
        reportResult(result);
        return;
    }
}

void QRCodeReaderViewController::reportResult(const std::optional<std::string>& result) {
    // The delegate may release this controller.
    const auto keepAlive = shared_from_this();
    if (_completionBlock) {
        if (_beepPlayer)
            _beepPlayer->play();
        _completionBlock(result);
    }
    if (const auto listener = delegate())
        listener->readerDidScanResult(*this, result);
}

void QRCodeReaderViewController::cancel() {
    const auto keepAlive = shared_from_this();
    stopScanning();
    if (_completionBlock)
        _completionBlock(std::nullopt);
    if (const auto listener = delegate())
        listener->readerDidCancel(*this);
}

void QRCodeReaderViewController::clickLeftBarButton() {
    cancel();
}

void QRCodeReaderViewController::cancelAction() {
    cancel();
}

void QRCodeReaderViewController::switchCameraAction() {
    switchDeviceInput();
}

void QRCodeReaderViewController::switchDeviceInput() {
    if (!_frontDeviceInput || _session->inputs().empty())
        return;
    _session->beginConfiguration();
    const auto current = _session->inputs().front();
    _session->removeInput(current);
    const auto* cameraInput = dynamic_cast<const AVCaptureDeviceInput*>(current.get());
    const bool wasFront = cameraInput && cameraInput->device()->position() == AVCaptureDevicePositionFront;
    _session->addInput(wasFront ? _defaultDeviceInput : _frontDeviceInput);
    _session->commitConfiguration();
}

void QRCodeReaderViewController::clickRightBarButton() {
    _detector = CIDetector::detectorOfType(
        CIDetectorTypeQRCode, {{std::string(CIDetectorAccuracy), std::string(CIDetectorAccuracyHigh)}});
    const auto picker = UIImagePickerController::make();
    picker->setDelegate(std::static_pointer_cast<QRCodeReaderViewController>(shared_from_this()));
    picker->setAllowsEditing(false);
    picker->setSourceType(UIImagePickerControllerSourceTypePhotoLibrary);
    if (const auto navigation = navigationController())
        navigation->presentViewController(picker, true, nullptr);
}

void QRCodeReaderViewController::imagePickerControllerDidFinishPickingMediaWithInfo(
    const std::shared_ptr<UIImagePickerController>& picker,
    const std::optional<UIImagePickerMediaInfo>& info) {
    picker->dismissViewControllerAnimated(true, nullptr);
    const auto image = info ? pickedImage(*info) : nullptr;
    const auto picture = image ? CIImage::imageWithCGImage(image->CGImage()) : nullptr;
    if (!_detector || !picture)
        return;
    const auto features = _detector->featuresInImage(*picture);
    if (features.empty())
        return;
    const auto* qr = dynamic_cast<const CIQRCodeFeature*>(features.front().get());
    reportResult(qr ? qr->messageString() : std::nullopt);
}

void QRCodeReaderViewController::willRotateToInterfaceOrientation(UIInterfaceOrientation orientation,
                                                                  double duration) {
    UIViewController::willRotateToInterfaceOrientation(orientation, duration);
    _cameraView->setNeedsDisplay();
    if (auto* connection = _previewLayer ? _previewLayer->connection() : nullptr;
        connection && connection->isVideoOrientationSupported())
        connection->setVideoOrientation(videoOrientationFromInterfaceOrientation(orientation));
}

void QRCodeReaderViewController::viewWillLayoutSubviews() {
    UIViewController::viewWillLayoutSubviews();
    if (_previewLayer)
        _previewLayer->setFrame(view()->bounds());
}

AVCaptureVideoOrientation
QRCodeReaderViewController::videoOrientationFromInterfaceOrientation(int interfaceOrientation) {
    switch (interfaceOrientation) {
    case UIInterfaceOrientationPortrait:
        return AVCaptureVideoOrientationPortrait;
    case UIInterfaceOrientationLandscapeRight:
        return AVCaptureVideoOrientationLandscapeRight;
    case UIInterfaceOrientationLandscapeLeft:
        return AVCaptureVideoOrientationLandscapeLeft;
    default:
        return AVCaptureVideoOrientationPortraitUpsideDown;
    }
}

bool QRCodeReaderViewController::isAvailable() {
    const auto device = AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo);
    if (!device || !AVCaptureDeviceInput::deviceInputWithDevice(device))
        return false;
    const auto types = AVCaptureMetadataOutput::make()->availableMetadataObjectTypes();
    return std::find(types.begin(), types.end(), AVMetadataObjectTypeQRCode) != types.end();
}
