#pragma once
// The window's pictures, drawn by the program itself: the maker's logo, the
// main panel's background, the two image lists of the connection indicator
// and the window icon. Transparent where the stored pictures are white.

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <vector>

namespace app {

// Sizes of the image lists' pictures.
inline constexpr QSize kCompanyImageSize{150, 41};
inline constexpr QSize kConnectToDeviceImageSize{120, 32};
inline constexpr QSize kConnectTwoWayImageSize{32, 32};

// The colour an indicator picture is filled with before its image is drawn
// (0x00F0FBFF as the window stores it: blue, green, red).
inline constexpr QColor kIndicatorFill{0xFF, 0xFB, 0xF0};

// ImageList_Company: image 0 is the logo.
std::vector<QPixmap> CompanyImages();
// ImageListConnectToDevice: PC, cable and transponder; image 4 idle,
// image 5 connecting (0 to 3 repeat the idle picture).
std::vector<QPixmap> ConnectToDeviceImages();
// ImageListConnectTwoWay: image 0 idle, 1 connecting, 2 to 7 the frames of
// the data moving along the cable.
std::vector<QPixmap> ConnectTwoWayImages();
// Image2: the main panel's background of the given size.
QPixmap BackgroundPicture(QSize size);
// The window's and the desktop entry's icon (app/aisfw-gui.svg draws the
// same emblem).
QIcon ApplicationIcon();

}  // namespace app
