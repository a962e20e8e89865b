#include "info/donate_form.h"

#include "info/donate.h"

namespace framora::donate_form {

namespace {

using enum ControlKind;

// Shown exactly as written, odd spacing and the blank at the end included.
constexpr std::string_view kAppeal =
    "If you appreciate the time,money and effort it took to build this software please "
    "consider making a donation (any is better than none). If you wish your name and/ or "
    "web-site (as a donor) will be listed on the donor page it will give me incentive to keep "
    "making! Thanks in advance .. ";

constexpr ControlDesign kControls[] = {
    {.id = Label1,
     .kind = Label,
     .name = "Label1",
     .text = kAppeal,
     .rect = {360, 240, 7575, 1335},
     .tabIndex = 0,
     .font = {"MS Sans Serif", 12},
     .wordWrap = true},
    // The picture's own size: 179 x 51 pixels.
    {.id = Image1,
     .kind = Picture,
     .name = "Image1",
     .rect = {5280, 1800, 2685, 765},
     .picture = "donate-now",
     .accessibleName = "Donate now",
     .pictureRole = AccessibleRole::Link,
     .on = On<&DonateLogic::Image1_Click>()},
};

// Name, caption, client size in twips; border, icon, background; controls and menu.
// clang-format off
constexpr FormDesign kForm = FormFor<DonateLogic>({kWindow, "frmDonate",
                         "Framora audio converter - donate", 8310, 2805, BorderKind::FixedDialog,
                         IconKind::Program, kWindowColor, kControls, {}});
// clang-format on

}  // namespace

const FormDesign& Form() { return kForm; }

}  // namespace framora::donate_form
