#include "ui/form1.h"

// The three ways results leave the program.

void Form1::PushButton6_Click() {}
void Form1::PushButton12_Click() {}
void Form1::PushButton18_Click() {}
