#include "app/Form1.h"

// The three export buttons. The export room plugs in here and nowhere else:
// each hook gets the results table, the dialogs, the pointer, the event pump
// and the error report from the window's members.
namespace quillora {

void Form1::PushButton4_Click() {
    exportResultsAsText();
}
void Form1::PushButton5_Click() {
    exportResultsToSpreadsheet();
}
void Form1::PushButton8_Click() {
    exportResultsToClipboard();
}

// "Save Results As Text File" (Form1.PushButton4_Click): not wired yet.
void Form1::exportResultsAsText() {}

// "Save Results As Excel File" (Form1.PushButton5_Click): not wired yet.
void Form1::exportResultsToSpreadsheet() {}

// "Copy Results To Clipboard" (Form1.PushButton8_Click): not wired yet.
void Form1::exportResultsToClipboard() {}

}  // namespace quillora
