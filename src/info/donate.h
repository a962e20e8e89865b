// The donation window's one action; its design is in donate_form.cpp.
#pragma once

#include "app/ports.h"

namespace framora {

// Click on the DONATE NOW picture.
void OpenDonationPage(DesktopPort& desktop);

struct DonatePorts {
  DesktopPort& desktop;
};

// frmDonate: the one handler its description names.
class DonateLogic {
 public:
  explicit DonateLogic(DonatePorts ports) : ports_(ports) {}
  void Image1_Click() { OpenDonationPage(ports_.desktop); }

 private:
  DonatePorts ports_;
};

}  // namespace framora
