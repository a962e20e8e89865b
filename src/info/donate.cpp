#include "info/donate.h"

#include "app/identity.h"

namespace framora {

void OpenDonationPage(DesktopPort& desktop) { desktop.OpenUrl(identity::kDonateUrl); }

}  // namespace framora
