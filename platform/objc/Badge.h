#pragma once

// A proof, in a function's signature, that its caller is `T`: only `T` can make one. A setter only one class
// of the hosts' library may call (SpringBoardHost, UIKitHost, FoundationHost, AVCaptureHost) takes that
// class's badge; the class is declared in a host-only header, which a plug-in cannot include.
template <typename T> class Badge {
    friend T;
    constexpr Badge() = default;
};
