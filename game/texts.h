// The game's two fixed text tables: the display names shown with their pictures during the
// credits roll, and the lines of the credits box. vgInit copies them into
// vg_Vantorell_TwitterName and vg_Vantorell_CreditText; the asset generator draws one
// avatar picture per name from the same table.
#pragma once

// Entries 1 to 1438 are shown; entry i goes with picture i of "output" (i up to 1024, where
// 1024 wraps to frame 0) or picture i - 1024 of "outputb".
extern const char* const kDisplayNames[1439];

// Groups separated by "-=-=-"; the last line is "End" and is never shown in the box.
extern const char* const kCreditLines[49];
