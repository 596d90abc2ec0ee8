#pragma once

#include "objc/objc-api.h"

#include "AVFoundation/AVCaptureSession.h"
#include "QuartzCore/CALayer.h"

#include <memory>
#include <string>
#include <string_view>

inline constexpr std::string_view AVLayerVideoGravityResize = "AVLayerVideoGravityResize";
inline constexpr std::string_view AVLayerVideoGravityResizeAspect = "AVLayerVideoGravityResizeAspect";
inline constexpr std::string_view AVLayerVideoGravityResizeAspectFill = "AVLayerVideoGravityResizeAspectFill";

// Shows what the session's camera sees, turned to the connection's video orientation and fitted to the
// layer's bounds by the gravity; black where there is no picture.
class ORVANE_EXPORT AVCaptureVideoPreviewLayer : public CALayer {
    OBJC_OBJECT(AVCaptureVideoPreviewLayer, CALayer)
    static std::shared_ptr<AVCaptureVideoPreviewLayer>
    layerWithSession(std::shared_ptr<AVCaptureSession> session);

    const std::shared_ptr<AVCaptureSession>& session() const { return _session; }
    const std::string& videoGravity() const { return _videoGravity; }
    // An unknown gravity leaves the one in force.
    void setVideoGravity(std::string_view gravity);
    // Nothing without a session.
    AVCaptureConnection* connection() const { return _session ? _connection.get() : nullptr; }

  protected:
    void drawInContext(const CGContextRef& context) const override;

    explicit AVCaptureVideoPreviewLayer(std::shared_ptr<AVCaptureSession> session);

  private:
    std::shared_ptr<AVCaptureSession> _session;
    std::shared_ptr<AVCaptureConnection> _connection;
    std::string _videoGravity{AVLayerVideoGravityResizeAspect};
};
