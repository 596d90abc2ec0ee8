#pragma once

#include "QuartzCore/CALayer.h"
#include "UIKit/UIView.h"

#include <array>
#include <memory>

class QRCodeReaderViewDelegate {
  public:
    virtual ~QRCodeReaderViewDelegate() = default;
    // The scan box was computed anew.
    virtual void loadView(CGRect rect) = 0;
};

// Hosts the camera picture and draws the scan box over it: a clear square outlined by a thin line, with the
// surround dimmed. Each drawing pass computes the box for the view's bounds.
class QRCodeReaderView : public UIView {
    OBJC_OBJECT(QRCodeReaderView, UIView)

    std::shared_ptr<QRCodeReaderViewDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<QRCodeReaderViewDelegate> delegate) { _delegate = std::move(delegate); }
    // The box in the view's coordinates as last computed; all zero before the first drawing pass.
    CGRect innerViewRect() const { return _innerViewRect; }
    const std::shared_ptr<CAShapeLayer>& overlay() const { return _overlay; }

    void addOverlay();
    // Dims the screen around the box, in place of the dimming of the previous pass.
    void addOtherLay(CGRect box);

    // The box for a drawing pass over `rect`.
    static CGRect scanBoxInRect(CGRect rect);

  protected:
    explicit QRCodeReaderView(CGRect frame = CGRectZero) : UIView(frame) {}
    void init() override;
    void drawRect(CGRect rect) override;

  private:
    std::weak_ptr<QRCodeReaderViewDelegate> _delegate;
    CGRect _innerViewRect = CGRectZero;
    std::shared_ptr<CAShapeLayer> _overlay;
    std::array<std::shared_ptr<CAShapeLayer>, 4> _dimming;
};
