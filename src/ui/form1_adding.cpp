#include "ui/form1.h"

// The roads by which paths reach the file list.

void Form1::PushButton3_Click() {}
void Form1::PushButton5_Click() {}
void Form1::PushButton10_Click() {}
