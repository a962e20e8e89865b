// The donation window's one action; its design is in donate_form.cpp.
#pragma once

#include "app/ports.h"

namespace framora {

// Click on the DONATE NOW picture.
void OpenDonationPage(DesktopPort& desktop);

}  // namespace framora
