#pragma once
// The main window's images, compiled into the application library.
#include <QIcon>

namespace qm {

// Makes the compiled-in images available; call before the first Image().
void LoadImages();
// An image by its name in the icons folder.
QIcon Image(const char* name);
// The state image with the shortcut arrow in its lower left corner.
QIcon WithShortcutMark(const QIcon& base);

} // namespace qm
