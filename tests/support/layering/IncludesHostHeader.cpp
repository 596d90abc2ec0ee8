// What must not compile in plug-in code: a host-only header, named by HOST_HEADER
// ("Foundation/FoundationHost.h").
#include HOST_HEADER
