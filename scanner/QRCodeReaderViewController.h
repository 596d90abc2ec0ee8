#pragma once

#include "AVFoundation/AVAudioPlayer.h"
#include "AVFoundation/AVCaptureMetadataOutput.h"
#include "AVFoundation/AVCaptureVideoPreviewLayer.h"
#include "CoreImage/CIDetector.h"
#include "Foundation/NSTimer.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIImagePickerController.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIViewController.h"
#include "scanner/QRCameraSwitchButton.h"
#include "scanner/QRCodeReaderView.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QRCodeReaderViewController;

// Both operations are optional: a delegate overrides the ones it wants.
class QRCodeReaderDelegate {
  public:
    virtual ~QRCodeReaderDelegate() = default;
    // A code was read; the result is absent for a code whose bytes are not text.
    virtual void readerDidScanResult(QRCodeReaderViewController&, const std::optional<std::string>&) {}
    virtual void readerDidCancel(QRCodeReaderViewController&) {}
};

// The full-screen code scanner: the camera picture under a dimmed surround with a clear box, corner marks, a
// scan line sweeping the box every 2 seconds, a tip, a camera switch where there is a front camera, and
// "Cancel" in the navigation bar. It reports the first code it reads, of any type the camera offers, to its
// delegate and its completion callback; it never dismisses itself.
class QRCodeReaderViewController : public UIViewController,
                                   public AVCaptureMetadataOutputObjectsDelegate,
                                   public QRCodeReaderViewDelegate,
                                   public UIImagePickerControllerDelegate,
                                   public UINavigationControllerDelegate {
    OBJC_OBJECT(QRCodeReaderViewController, UIViewController)
    using Completion = std::function<void(const std::optional<std::string>& result)>;

    // The cancel button's title; the navigation bar's item always shows the localised "Cancel". make() with
    // no title takes "Cancel" as the host application localises it.
    static std::shared_ptr<QRCodeReaderViewController> readerWithCancelButtonTitle(std::string_view title) {
        return make(std::string(title));
    }

    void setCompletionWithBlock(Completion completion) { _completionBlock = std::move(completion); }
    std::shared_ptr<QRCodeReaderDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<QRCodeReaderDelegate> delegate) { _delegate = std::move(delegate); }

    void startScanning();
    void stopScanning();
    void switchDeviceInput();
    static bool isAvailable();
    static AVCaptureVideoOrientation videoOrientationFromInterfaceOrientation(int interfaceOrientation);

    // Targets of controls.
    void clickLeftBarButton();
    void cancelAction();
    void switchCameraAction();
    // The picture path: the photo library's picker, presented from the navigation controller.
    void clickRightBarButton();

    void captureOutputDidOutputMetadataObjects(
        AVCaptureOutput& output, const std::vector<std::shared_ptr<AVMetadataObject>>& metadataObjects,
        AVCaptureConnection& connection) override;
    // Only QR codes are found in pictures. The picker's cancellation is left to the platform's default.
    void imagePickerControllerDidFinishPickingMediaWithInfo(
        const std::shared_ptr<UIImagePickerController>& picker,
        const std::optional<UIImagePickerMediaInfo>& info) override;
    void loadView(CGRect rect) override;
    bool scansWithCamera() const override { return true; }
    void scanAnimate();

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewWillLayoutSubviews() override;
    bool shouldAutorotate() const override { return true; }
    void willRotateToInterfaceOrientation(UIInterfaceOrientation orientation, double duration) override;

    const std::shared_ptr<QRCameraSwitchButton>& switchCameraButton() const { return _switchCameraButton; }
    const std::shared_ptr<QRCodeReaderView>& cameraView() const { return _cameraView; }
    const std::shared_ptr<AVAudioPlayer>& beepPlayer() const { return _beepPlayer; }
    const std::shared_ptr<UIButton>& cancelButton() const { return _cancelButton; }
    const std::shared_ptr<UIImageView>& imgLine() const { return _imgLine; }
    const std::shared_ptr<UILabel>& lblTip() const { return _lblTip; }
    const std::shared_ptr<NSTimer>& timerScan() const { return _timerScan; }
    const std::shared_ptr<AVCaptureDeviceInput>& defaultDeviceInput() const { return _defaultDeviceInput; }
    const std::shared_ptr<AVCaptureDeviceInput>& frontDeviceInput() const { return _frontDeviceInput; }
    const std::shared_ptr<AVCaptureSession>& session() const { return _session; }
    const std::shared_ptr<AVCaptureMetadataOutput>& metadataOutput() const { return _metadataOutput; }
    const std::shared_ptr<AVCaptureVideoPreviewLayer>& previewLayer() const { return _previewLayer; }
    const std::shared_ptr<CIDetector>& detector() const { return _detector; }

  protected:
    explicit QRCodeReaderViewController(std::optional<std::string> cancelButtonTitle = std::nullopt)
        : _cancelButtonTitle(std::move(cancelButtonTitle)) {}
    // initWithCancelButtonTitle: everything is built here.
    void init() override;

  private:
    void setupAVComponents();
    void configureDefaultComponents();
    void setupUIComponentsWithCancelButtonTitle(std::string_view title);
    void setupAutoLayoutConstraints();
    void cancel();
    void reportResult(const std::optional<std::string>& result);

    std::weak_ptr<QRCodeReaderDelegate> _delegate;
    std::shared_ptr<QRCameraSwitchButton> _switchCameraButton;
    std::shared_ptr<QRCodeReaderView> _cameraView;
    std::shared_ptr<AVAudioPlayer> _beepPlayer;
    std::shared_ptr<UIButton> _cancelButton;
    std::shared_ptr<UIImageView> _imgLine;
    std::shared_ptr<UILabel> _lblTip;
    std::shared_ptr<NSTimer> _timerScan;
    std::shared_ptr<AVCaptureDevice> _defaultDevice;
    std::shared_ptr<AVCaptureDeviceInput> _defaultDeviceInput;
    std::shared_ptr<AVCaptureDevice> _frontDevice;
    std::shared_ptr<AVCaptureDeviceInput> _frontDeviceInput;
    std::shared_ptr<AVCaptureMetadataOutput> _metadataOutput;
    std::shared_ptr<AVCaptureSession> _session;
    std::shared_ptr<AVCaptureVideoPreviewLayer> _previewLayer;
    std::shared_ptr<CIDetector> _detector;
    Completion _completionBlock;
    std::optional<std::string> _cancelButtonTitle;
};
