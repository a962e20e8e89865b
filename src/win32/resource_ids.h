// Numbers of the program's resources and of the controls of its windows; shared by the
// resource script, the windows and the tests that drive the program from outside.
#pragma once

// Resources.
#define IDI_FRAMORA 1
#define IDI_CONSOLE 2
#define IDB_EXECUTE 101
#define IDB_ABOUT_LOGO 102
#define IDB_DONATE 103

// Form1.
#define ID_Command1 1001
#define ID_Text1 1002
#define ID_Label1 1003
#define ID_Command2 1004
#define ID_Command3 1005
#define ID_Text2 1006
#define ID_Label2 1007
#define ID_Label3 1008
#define ID_Text3 1009
#define ID_Picture1 1010
#define ID_Label4 1011
#define ID_Text4 1012
#define ID_Command4 1013
#define ID_mnuHelp 1101
#define ID_mnuAbout 1102
#define ID_mnuDonate 1103
#define ID_mnuExit 1104

// frmReadOutput.
#define ID_txtCommand 2001
#define ID_cmdExecute 2002
#define ID_lblInfo 2003
#define ID_cmdCancel 2004
#define ID_rtfOutput 2005
#define ID_ConsoleText1 2006

// frmAbout: cmdOK is the window's OK (and, through Esc, its cancel) button.
#define ID_cmdOK 1
#define ID_picIcon 3001
#define ID_lblTitle 3002
#define ID_lblVersion 3003
#define ID_lblDescription 3004
#define ID_cmdSysInfo 3005
#define ID_lblDisclaimer 3006
#define ID_AboutLabel1 3007

// frmDonate.
#define ID_DonateLabel1 4001
#define ID_Image1 4002
