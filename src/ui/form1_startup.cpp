#include "ui/form1.h"

// Start-up helpers and the help message.

void Form1::PushButton7_Click() {}
