#pragma once
// The hand editors' OK puts a snapshot of their image view on the clipboard as TIFF, the one
// type declared, so that a program or another application can paste what the user saw.

class QWidget;

namespace pravella {

// False when the snapshot cannot be encoded (the clipboard is then left alone).
bool copyViewAsTiff(QWidget* view);

}  // namespace pravella
