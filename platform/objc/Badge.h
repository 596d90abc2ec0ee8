#pragma once

// A proof, in a function's signature, that its caller is `T`: only `T` can make one. What only the hosts may
// set in the platform takes a Badge<PlatformHost> (Foundation/PlatformHost.h), which a plug-in cannot make.
template <typename T> class Badge {
    friend T;
    constexpr Badge() = default;
};

class PlatformHost;
