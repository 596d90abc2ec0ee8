#pragma once

#include <string_view>

// The flows a tap can start that show a sheet of their own: Social posts, mail, messages, the photo and video
// picker and the code scanner.

inline constexpr std::string_view SLServiceTypeFacebook = "com.apple.social.facebook";
inline constexpr std::string_view SLServiceTypeTwitter = "com.apple.social.twitter";
inline constexpr std::string_view SLServiceTypeSinaWeibo = "com.apple.social.sinaweibo";
inline constexpr std::string_view SLServiceTypeTencentWeibo = "com.apple.social.tencentweibo";

void presentSocialCompose(std::string_view serviceType);
void presentMailCompose();
void presentMessageCompose();
// The picker for the current pickerMode: the camera or the library, photos only or photos and videos.
void presentImagePicker(bool useCamera, bool includeVideos);
void presentScanner();
