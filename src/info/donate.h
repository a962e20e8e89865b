// The donation window's texts and its one action.
#pragma once

#include "app/ports.h"

namespace framora {

inline constexpr const char* kDonateCaption = "Framora audio converter - donate";

// Shown exactly as written, odd spacing and trailing blank included.
inline constexpr const char* kDonateAppeal =
    "If you appreciate the time,money and effort it took to build this software please "
    "consider making a donation (any is better than none). If you wish your name and/ or "
    "web-site (as a donor) will be listed on the donor page it will give me incentive to keep "
    "making! Thanks in advance .. ";

// Click on the DONATE NOW picture.
void OpenDonationPage(DesktopPort& desktop);

}  // namespace framora
