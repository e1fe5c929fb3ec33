#include "ui/form1.h"

// The sample files that come with the program.

void Form1::PushButton8_Click() {}
