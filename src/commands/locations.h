#pragma once

#include "core/error_trap.h"

// Where each command's error reports say they arose: the window, and the handler its control
// runs, as the reports have always named them. Only the commands name these.
namespace Handler {

inline constexpr ReportLocation PushButton1_Click{"Form1", "PushButton1_Click"};
inline constexpr ReportLocation PushButton2_Click{"Form1", "PushButton2_Click"};
inline constexpr ReportLocation PushButton3_Click{"Form1", "PushButton3_Click"};
inline constexpr ReportLocation PushButton4_Click{"Form1", "PushButton4_Click"};
inline constexpr ReportLocation PushButton5_Click{"Form1", "PushButton5_Click"};
inline constexpr ReportLocation PushButton6_Click{"Form1", "PushButton6_Click"};
inline constexpr ReportLocation PushButton7_Click{"Form1", "PushButton7_Click"};
inline constexpr ReportLocation PushButton8_Click{"Form1", "PushButton8_Click"};
inline constexpr ReportLocation PushButton9_Click{"Form1", "PushButton9_Click"};
inline constexpr ReportLocation PushButton10_Click{"Form1", "PushButton10_Click"};
inline constexpr ReportLocation PushButton11_Click{"Form1", "PushButton11_Click"};
inline constexpr ReportLocation PushButton12_Click{"Form1", "PushButton12_Click"};
inline constexpr ReportLocation PushButton13_Click{"Form1", "PushButton13_Click"};
inline constexpr ReportLocation PushButton14_Click{"Form1", "PushButton14_Click"};
inline constexpr ReportLocation PushButton18_Click{"Form1", "PushButton18_Click"};
inline constexpr ReportLocation OptionClick[] = {{"Form1", "Option1_Click"},
                                                 {"Form1", "Option2_Click"},
                                                 {"Form1", "Option3_Click"},
                                                 {"Form1", "Option4_Click"}};

// The window's start-up.
inline constexpr ReportLocation Form_Load{"Form1", "Form_Load"};

// The lists' menus.
inline constexpr ReportLocation ChangeResultsTicks{"Form1", "ChangeResultsTicks"};
inline constexpr ReportLocation SortResults{"Form1", "SortResults"};
inline constexpr ReportLocation ResultsTotal{"Form1", "ResultsTotal"};
inline constexpr ReportLocation OpenContainingFolder{"Form1", "OpenContainingFolder"};

} // namespace Handler
