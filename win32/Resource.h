#pragma once
// Resource identifiers shared by the resource script and the code.

// The program's icon: the first icon group, which the shell shows for the file.
#define IDI_MAMETAN 1
// The tray icon's one image.
#define IDI_TASKTRAY 2
// The popup menu's six images, in menu order (input, list, setup, help,
// about, exit).
#define IDI_MENU_FIRST 10
