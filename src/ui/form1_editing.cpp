#include "ui/form1.h"

// Trimming both lists by hand.

void Form1::PushButton1_Click() {}
void Form1::PushButton2_Click() {}
void Form1::PushButton9_Click() {}
void Form1::PushButton11_Click() {}
void Form1::PushButton13_Click() {}
void Form1::PushButton14_Click() {}
