// The nine windows of the workbench, made once each in their fixed order.
#pragma once

namespace vardel {

class TApplication;

// Starts the application object for the workbench: Qt, and the release of the bitmap
// contexts after every handled event.
TApplication& StartWorkbenchApplication(int& argc, char** argv);

// Form1 (the main window), Form2, Form3, Form4, ParContraste, Form6, Form7, Form8,
// Form9, each hidden and stored in its global.
void MakeWorkbenchWindows(TApplication& application);

}  // namespace vardel
