// Numbers of the program's resources, shared by the resource script and the windows. The
// controls' numbers are in the windows' descriptions.
#pragma once

#define IDI_FRAMORA 1
#define IDI_CONSOLE 2
